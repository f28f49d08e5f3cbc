// The command protocol against a peer on a real pseudo-terminal.
#include "core/link/comm_interface.h"
#include "pty_peer.h"
#include "core/resources/string_ids.h"
#include "test_env.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class CommInterfaceTest : public ::testing::Test {
protected:
  void SetUp() override { link.OpenDevice(peer.SlavePath()); }

  // Runs the call and returns the id of the exception it threw (0 for none).
  template <class F> int IdOf(F &&call) {
    try {
      call();
    } catch (const CException &e) {
      return e.GetId();
    }
    return 0;
  }

  ScopedTestHome home;
  CPtyPeer peer;
  CCommInterface link;
};

TEST_F(CommInterfaceTest, SelectGroupSendsTwoDigitCommandAndAcceptsDenterItem) {
  peer.Respond([](const std::string &) { return std::string("Denter item no. 01\r"); });
  link.SelectGroup(1);
  link.SelectGroup(99);
  peer.Stop();
  EXPECT_EQ(peer.Commands(), (std::vector<std::string>{"G01", "G99"}));
}

TEST_F(CommInterfaceTest, SelectGroupBytesOnTheWire) {
  peer.SendLater("Denter item\r", 50ms);
  link.SelectGroup(1);
  EXPECT_EQ(peer.Receive(), "G01\r");
  peer.SendLater("Denter item\r", 50ms);
  link.SelectGroup(99);
  EXPECT_EQ(peer.Receive(), "G99\r");
  peer.SendLater("D\r", 50ms);
  link.SelectItem(4);
  EXPECT_EQ(peer.Receive(), "I04\r");
  EXPECT_EQ(peer.ReceiveAll(std::chrono::milliseconds(20)), ""); // no line feed, nothing else
}

TEST_F(CommInterfaceTest, SelectGroupRejectsWrongCaseAndShortAnswers) {
  for (const char *answer : {"denter item\r", "Denter ite\r", "\r", " Denter item\r"}) {
    peer.Send(answer);
    EXPECT_EQ(IdOf([&] { link.SelectGroup(1); }), IDS_INVALID_G_RESPONSE) << answer;
  }
}

TEST_F(CommInterfaceTest, SelectItemNeedsLeadingD) {
  peer.Send("D\r");
  link.SelectItem(4);
  EXPECT_EQ(peer.Receive(), "I04\r");
  peer.Send("\r");
  EXPECT_EQ(IdOf([&] { link.SelectItem(4); }), IDS_INVALID_I_RESPONSE);
  peer.Send(" D\r");
  EXPECT_EQ(IdOf([&] { link.SelectItem(4); }), IDS_INVALID_I_RESPONSE);
}

TEST_F(CommInterfaceTest, ReadItemKeepsLeadingSpace) {
  peer.Respond([](const std::string &cmd) { return std::string(cmd == "D" ? "D 12.5\r" : "D\r"); });
  EXPECT_EQ(link.ReadItem(4), " 12.5");
  peer.Stop();
  EXPECT_EQ(peer.Commands(), (std::vector<std::string>{"I04", "D"}));
}

TEST_F(CommInterfaceTest, ReadItemOfBareDIsEmptyAndOtherAnswersFail) {
  peer.Send("D\rD\r");
  EXPECT_EQ(link.ReadItem(2), "");
  peer.Send("D\rE1\r");
  EXPECT_EQ(IdOf([&] { link.ReadItem(2); }), IDS_INVALID_D_RESPONSE);
}

TEST_F(CommInterfaceTest, WriteItemAcceptsAnyAnswerLine) {
  peer.Respond([](const std::string &cmd) { return std::string(cmd[0] == 'I' ? "D\r" : "?? whatever\r"); });
  link.WriteItem(7, "1.2500");
  peer.Stop();
  EXPECT_EQ(peer.Commands(), (std::vector<std::string>{"I07", "D1.2500"}));
}

TEST_F(CommInterfaceTest, SilenceIsTimeoutAndLeavesResponseAlone) {
  std::string response = "unchanged";
  EXPECT_EQ(IdOf([&] { link.Transact("D\r", response, 100); }), IDS_RECEIVE_TIMEOUT);
  EXPECT_EQ(response, "unchanged");
}

TEST_F(CommInterfaceTest, SilenceTimesOutAfterAboutOneSecond) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(IdOf([&] { link.SelectItem(1); }), IDS_RECEIVE_TIMEOUT);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 900ms);
  EXPECT_LT(took, 5s);
}

TEST_F(CommInterfaceTest, LateAnswerIsTheNextResponse) {
  std::string response;
  EXPECT_EQ(IdOf([&] { link.Transact("D\r", response, 100); }), IDS_RECEIVE_TIMEOUT);
  peer.Send("D1.234\rD5\r");
  link.Transact("D\r", response, 500);
  EXPECT_EQ(response, "D1.234");
  link.Transact("D\r", response, 500);
  EXPECT_EQ(response, "D5");
}

TEST_F(CommInterfaceTest, PartialAnswerIsDroppedAndItsTailReadNext) {
  std::string response;
  peer.Send("D1.2");
  EXPECT_EQ(IdOf([&] { link.Transact("D\r", response, 100); }), IDS_RECEIVE_TIMEOUT);
  peer.Send("34\r");
  link.Transact("D\r", response, 500);
  EXPECT_EQ(response, "34");
}

TEST_F(CommInterfaceTest, OpenFailureStaysASerialError) {
  CCommInterface other;
  try {
    other.OpenDevice("/dev/does-not-exist-vela");
    FAIL() << "no exception";
  } catch (const CCommInterfaceException &) {
    FAIL() << "wrong class";
  } catch (const CSerialIOException &e) {
    EXPECT_EQ(e.GetId(), IDS_PORT_OPEN_FAILED);
  }
}

TEST_F(CommInterfaceTest, ReopenKeepsTheLineWorking) {
  link.Reopen();
  peer.Send("D\r");
  link.SelectItem(3);
  EXPECT_EQ(peer.Receive(), "I03\r");
}

} // namespace
