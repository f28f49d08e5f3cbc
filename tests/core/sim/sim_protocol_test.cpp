// The simulated instrument over a real pseudo-terminal: every item and
// sub-command answers in the form the program parses, values are validated,
// and SW2-8 guards every parameter write.
#include "core/platform/posix/port_map.h"
#include "core/platform/codepage.h"
#include "core/resources/string_ids.h"
#include "sim_test_util.h"
#include "test_env.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace {

class SimProtocol : public ::testing::Test {
protected:
  void Start(SimOptions o = QuietOptions()) {
    sim = std::make_unique<CKT5RSSimulator>(o);
    sim->Start();
    link = std::make_unique<Link>(sim->DevicePath());
  }
  void SetUp() override { Start(); }

  std::string At(int group, int item, const std::string &command) { return link->At(group, item, command); }

  std::unique_ptr<CKT5RSSimulator> sim;
  std::unique_ptr<Link> link;
};

TEST_F(SimProtocol, WholeUploadReadsTheDefaultsWithTheExactCommandSequence) {
  sim->ClearTranscript();
  const SimState s = Upload(link->link);
  SimState expected = CKT5RSSimulator::DefaultState("KT5RS");
  EXPECT_EQ(s, expected);
  EXPECT_EQ(s.firmware, "KT5RS Ver 1.00");
  EXPECT_EQ(s.input100, 1000000);
  EXPECT_EQ(s.tableX[2], 1150000);
  EXPECT_EQ(sim->Commands(), UploadCommands());

  // Exactly one reply line for every command, in order.
  const auto t = sim->Transcript();
  ASSERT_EQ(t.size(), 2 * UploadCommands().size());
  for (std::size_t i = 0; i < t.size(); ++i)
    EXPECT_EQ(t[i][0], i % 2 == 0 ? '>' : '<') << i;
  EXPECT_EQ(t[1], "< Denter item");
  EXPECT_EQ(sim->WriteCounts().accepted, 0);
}

TEST_F(SimProtocol, DownloadToASecondInstrumentMakesBothStoresEqual) {
  SimState a = CKT5RSSimulator::DefaultState("KT5RS");
  a.inputType = 3;
  a.burnout = 2;
  a.filter = 12500;
  a.fineZeroX = -130400;
  a.fineZeroY = 25000;
  a.fineSpan = 1012345;
  a.input0 = 100000;
  a.input100 = 116666; // the minimum span of type 3
  a.linearization = 1;
  a.points = 5;
  for (int k = 0; k < 5; ++k) {
    a.tableX[k] = k * 250000;
    a.tableY[k] = k * 200000 + 1;
  }
  a.tableX[100] = -150000;
  a.outputType = 2;
  a.output0 = -99000;
  a.output100 = -98000;
  a.outFineZero = -5000;
  a.outFineSpan = 1149999;
  a.tag = "TIC-101";
  sim->SetState(a);

  SimOptions ob = QuietOptions();
  ob.serial = "OTHER";
  CKT5RSSimulator b(ob);
  b.Start();
  Link lb(b.DevicePath());

  const SimState up = Upload(link->link);
  EXPECT_EQ(up, a);
  Download(lb.link, up);
  EXPECT_EQ(b.State(), a);
  EXPECT_EQ(b.WriteCounts().refused, 0);
  EXPECT_GT(b.WriteCounts().accepted, 200);
  // Values go back exactly as printed.
  EXPECT_EQ(At(1, 31, "DZ"), "DZ-13.0400 2.5000 101.2345");
}

TEST_F(SimProtocol, UnknownGroupsItemsAndCommandsAnswerWithoutD) {
  EXPECT_EQ(IdOf([&] { link->link.SelectGroup(5); }), IDS_INVALID_G_RESPONSE);
  EXPECT_EQ(IdOf([&] { link->link.SelectItem(4); }), IDS_INVALID_I_RESPONSE); // no group selected
  link->link.SelectGroup(1);
  for (int item : {0, 7, 13, 99})
    EXPECT_EQ(IdOf([&] { link->link.SelectItem(item); }), IDS_INVALID_I_RESPONSE) << item;
  // An item without a plain read.
  EXPECT_EQ(IdOf([&] { link->link.ReadItem(31); }), IDS_INVALID_D_RESPONSE);
  for (const char *bad : {"X", "", "G1x", "DQ", "I1A"})
    EXPECT_NE(link->Tx(bad).substr(0, 1), "D") << bad;
  link->link.SelectGroup(99);
  EXPECT_EQ(IdOf([&] { link->link.SelectItem(10); }), IDS_INVALID_I_RESPONSE);
  // A command line far too long is still one command with one answer.
  EXPECT_NE(link->Tx(std::string(1000, 'D')).substr(0, 1), "D");
  EXPECT_EQ(At(1, 10, "D"), "D0");
}

TEST_F(SimProtocol, ItemRepliesHaveTheFormsTheProgramParses) {
  EXPECT_EQ(At(1, 1, "D"), "D0");
  EXPECT_EQ(At(1, 2, "D"), "D10.0000");
  EXPECT_EQ(At(1, 3, "D"), "D50.0000");
  EXPECT_EQ(At(1, 4, "D"), "D50.0000");
  EXPECT_EQ(At(1, 5, "D"), "D50.0000");
  EXPECT_EQ(At(1, 6, "D"), "D50.0000");
  EXPECT_EQ(At(1, 12, "D"), "D0.0000 20.0000");
  EXPECT_EQ(At(1, 14, "D"), "D0.0000 100.0000");
  EXPECT_EQ(At(1, 18, "D"), "D0.0000");
  EXPECT_EQ(At(1, 19, "D"), "D0.0000");
  EXPECT_EQ(At(1, 20, "DS"), "DS100.0000");
  EXPECT_EQ(At(1, 24, "D"), "D0");
  EXPECT_EQ(At(1, 25, "D"), "D0");
  EXPECT_EQ(At(1, 30, "D"), "D0");
  EXPECT_EQ(At(1, 31, "DZ"), "DZ0.0000 0.0000 100.0000");
  EXPECT_EQ(At(1, 62, "DZ"), "D3");
  EXPECT_EQ(At(1, 62, "DX0"), "D-15.0000");
  EXPECT_EQ(At(1, 62, "DY100"), "D0.0000");
  EXPECT_EQ(At(1, 90, "D0"), "DKT5RS");
  EXPECT_EQ(At(1, 90, "D3"), "DA0000001");
  EXPECT_EQ(At(1, 90, "D6"), "D "); // an empty tag
  EXPECT_EQ(At(99, 7, "DW"), "D128");
  EXPECT_EQ(At(99, 5, "DLR"), "D2000 0.0000");
  EXPECT_EQ(At(99, 5, "DHR"), "D14000 100.0000");
  EXPECT_EQ(At(99, 4, "DLR"), "D2000 0.0000");
  EXPECT_EQ(At(99, 4, "DHR"), "D14000 20.0000");
  EXPECT_EQ(At(99, 90, "D2"), "DKT5RS Ver 1.00");
}

TEST_F(SimProtocol, TypeChangesResetTheirRangesAndRangesKeepTheirMinimumSpan) {
  EXPECT_EQ(At(1, 14, "D10 60"), "D");
  link->link.WriteItem(10, "0"); // the same type: the range stays
  EXPECT_EQ(At(1, 14, "D"), "D10.0000 60.0000");
  link->link.WriteItem(10, "3");
  EXPECT_EQ(At(1, 14, "D"), "D0.0000 100.0000");
  EXPECT_NE(At(1, 14, "D0 1.6665"), "D");
  EXPECT_EQ(At(1, 14, "D"), "D0.0000 100.0000");
  EXPECT_EQ(At(1, 14, "D0 1.6666"), "D");
  EXPECT_NE(At(1, 14, "D-0.0001 50"), "D");
  EXPECT_NE(At(1, 14, "D0 100.0001"), "D");
  EXPECT_NE(At(1, 14, "D50"), "D");
  EXPECT_NE(At(1, 10, "D6"), "D");
  EXPECT_EQ(At(1, 10, "D"), "D3");

  EXPECT_EQ(At(1, 12, "D4 20"), "D");
  link->link.WriteItem(11, "1");
  EXPECT_EQ(At(1, 12, "D"), "D-2.5000 2.5000");
  EXPECT_NE(At(1, 12, "D-2.5 -2.2501"), "D");
  EXPECT_EQ(At(1, 12, "D-2.5 -2.25"), "D");
  EXPECT_NE(At(1, 11, "D3"), "D");
  EXPECT_EQ(At(1, 11, "D"), "D1");
}

TEST_F(SimProtocol, RefusedValuesAnswerWithoutDAndChangeNothing) {
  const SimState before = sim->State();
  struct Case {
    int item;
    const char *command;
  } cases[] = {{18, "D0.4"},
               {18, "Dabc"},
               {18, "D30.0001"},
               {18, "D1e3"},
               {18, "D--1"},
               {19, "D15.0001"},
               {20, "DS84.9999"},
               {20, "D-15.0001"},
               {24, "D3"},
               {25, "D2"},
               {31, "DS10000.0001"},
               {31, "DZZ1"},
               {62, "DZ1"},
               {62, "DZ102"},
               {62, "DX5D115.0001"},
               {62, "DY101D0"},
               {14, "D1,5 50"},
               {90, "D6"
                    "0123456789012345678901234567890123"},
               {90, "D0KT7W"}}; // the model is written only in group 99
  for (const auto &c : cases) {
    const std::string reply = At(1, c.item, c.command);
    EXPECT_NE(reply.substr(0, 1), "D") << c.item << " " << c.command;
  }
  EXPECT_EQ(sim->State(), before);
  EXPECT_EQ(sim->WriteCounts().accepted, 0);
  EXPECT_EQ(sim->WriteCounts().refused, static_cast<int>(std::size(cases)));

  for (const char *ok : {"D0", "D0.5", "D30", "D 12.5 "})
    EXPECT_EQ(At(1, 18, ok), "D") << ok;
  EXPECT_EQ(At(1, 18, "D"), "D12.5000");
  EXPECT_EQ(At(1, 20, "DS85"), "D");
  EXPECT_EQ(At(1, 20, "DS"), "DS85.0000");
}

TEST_F(SimProtocol, WithSw28OffEveryParameterWriteIsRefused) {
  sim->SetSw28(false);
  EXPECT_EQ(At(99, 7, "DW"), "D0");
  const SimState before = sim->State();
  const char *writes[][2] = {
      {"10", "D1"},    {"11", "D1"}, {"12", "D4 20"}, {"14", "D10 90"}, {"18", "D1"},     {"19", "D1"},
      {"20", "DS101"}, {"20", "D1"}, {"24", "D1"},    {"25", "D1"},     {"31", "DZZ1 2"}, {"31", "DS99"},
      {"31", "DZ4"},   {"31", "DC"}, {"62", "DZ5"},   {"62", "DX1D20"}, {"62", "DW"},     {"90", "D6TAG"}};
  for (const auto &w : writes)
    EXPECT_NE(At(1, std::atoi(w[0]), w[1]).substr(0, 1), "D") << w[0] << " " << w[1];
  EXPECT_EQ(At(1, 16, "DM"), "D");
  EXPECT_NE(link->Tx("DC").substr(0, 1), "D");
  EXPECT_NE(At(99, 90, "D0KT7W").substr(0, 1), "D");
  EXPECT_NE(At(99, 90, "D3X1").substr(0, 1), "D");
  EXPECT_EQ(sim->State(), before);
  EXPECT_EQ(sim->WriteCounts().accepted, 0);
  EXPECT_EQ(sim->WriteCounts().refused, static_cast<int>(std::size(writes)) + 3);

  // The loop test is no parameter write.
  EXPECT_EQ(At(1, 1, "D1"), "D");
  EXPECT_TRUE(sim->FixedOutput());

  sim->SetSw28(true);
  EXPECT_EQ(At(99, 7, "DW"), "D128");
  EXPECT_EQ(At(1, 10, "D1"), "D");
  EXPECT_EQ(sim->WriteCounts().accepted, 1);
}

TEST_F(SimProtocol, DeviceInformationAndTheTagInTheLinkCodePage) {
  EXPECT_EQ(At(1, 90, "D6TIC 7"), "D");
  EXPECT_EQ(At(1, 90, "D6"), "DTIC 7");
  EXPECT_EQ(At(1, 90, "D6 "), "D");
  EXPECT_EQ(sim->State().tag, "");
  EXPECT_EQ(At(1, 90, "D6"), "D ");

  // A Japanese tag travels as CP932 bytes and comes back unchanged.
  SetLinkCodePage(CodePage::CP932);
  const std::string tag = "温度計A";
  EXPECT_EQ(At(1, 90, "D6" + tag), "D");
  EXPECT_EQ(sim->State().tag, Utf8ToCodePage(tag, CodePage::CP932));
  EXPECT_EQ(At(1, 90, "D6"), "D" + tag);
  SetLinkCodePage(CodePage::CP1252);

  EXPECT_EQ(At(99, 90, "D0KT5RS-X"), "D");
  EXPECT_EQ(At(99, 90, "D3SN-42"), "D");
  EXPECT_EQ(At(1, 90, "D0"), "DKT5RS-X");
  EXPECT_EQ(At(1, 90, "D3"), "DSN-42");
  EXPECT_EQ(At(1, 90, "D2"), "DKT5RS Ver 1.00"); // firmware is never written
}

TEST_F(SimProtocol, UserTableEditsStayInTheBufferUntilCommitted) {
  link->link.SelectGroup(1);
  link->link.SelectItem(62);
  EXPECT_EQ(link->Tx("DZ5"), "D");
  EXPECT_EQ(link->Tx("DX3D70.5"), "D");
  EXPECT_EQ(link->Tx("DX3"), "D70.5000");
  EXPECT_EQ(sim->State().points, 3);
  EXPECT_EQ(link->Tx("DR"), "D"); // start over: the edits are gone
  EXPECT_EQ(link->Tx("DZ"), "D3");
  EXPECT_EQ(link->Tx("DX3"), "D0.0000");
  EXPECT_EQ(link->Tx("DZ4"), "D");
  EXPECT_EQ(link->Tx("DY3D-15"), "D");
  EXPECT_EQ(link->Tx("DW"), "D");
  EXPECT_EQ(sim->State().points, 4);
  EXPECT_EQ(sim->State().tableY[3], -150000);
}

TEST_F(SimProtocol, FineInputAdjustmentCommands) {
  link->link.SelectGroup(1);
  link->link.SelectItem(31);
  EXPECT_EQ(link->Tx("DZZ1.5 2.5"), "D");
  EXPECT_EQ(link->Tx("DS99.5"), "D");
  EXPECT_EQ(link->Tx("DZ"), "DZ1.5000 2.5000 99.5000");
  // Zero against a true value: the present reading (50 %) becomes 4.
  EXPECT_EQ(link->Tx("DZ4.000"), "D");
  EXPECT_EQ(link->Tx("DZ"), "DZ50.0000 4.0000 99.5000");
  EXPECT_EQ(link->Tx("DC"), "D");
  EXPECT_EQ(link->Tx("DZ"), "DZ0.0000 0.0000 100.0000");
}

TEST_F(SimProtocol, RangeCalibrationResetsNeedTheirOpeningCommand) {
  EXPECT_EQ(At(1, 14, "D20 40"), "D");
  EXPECT_EQ(At(1, 12, "D4 12"), "D");
  EXPECT_NE(At(1, 16, "DC"), "D"); // not opened with DM
  EXPECT_EQ(At(1, 14, "D"), "D20.0000 40.0000");
  for (int item : {16, 17}) {
    link->link.SelectItem(item);
    EXPECT_EQ(link->Tx("DM"), "D");
    EXPECT_EQ(link->Tx("DC"), "D");
    EXPECT_EQ(link->Tx("DR"), "D");
  }
  EXPECT_EQ(At(1, 14, "D"), "D0.0000 100.0000");
  EXPECT_EQ(At(1, 12, "D"), "D0.0000 20.0000");
}

TEST(SimModels, Kt7wHasTheBaseInputSideAndOtherNamesFailTheModelCheck) {
  SimOptions o = QuietOptions();
  o.model = "KT7W";
  CKT5RSSimulator kt7w(o);
  kt7w.Start();
  Link l(kt7w.DevicePath());
  const SimState s = Upload(l.link, false);
  EXPECT_EQ(s, CKT5RSSimulator::DefaultState("KT7W"));
  EXPECT_EQ(s.input100, 500000);
  EXPECT_EQ(l.At(1, 10, "D1"), "D");
  EXPECT_EQ(l.At(1, 14, "D"), "D-1000.0000 1000.0000");
  EXPECT_NE(l.At(1, 10, "D3"), "D");
  l.link.SelectGroup(1);
  EXPECT_EQ(IdOf([&] { l.link.SelectItem(24); }), IDS_INVALID_I_RESPONSE); // no burnout
  EXPECT_EQ(l.At(1, 4, "D"), "D0.0000");                                   // 50 % of -1000..1000 mV

  o.model = "KT9Z";
  o.firmware = "";
  CKT5RSSimulator other(o);
  other.Start();
  Link lo(other.DevicePath());
  EXPECT_EQ(lo.At(1, 90, "D2"), "DKT9Z Ver 1.00");
  EXPECT_EQ(lo.At(1, 90, "D0"), "DKT9Z");
}

TEST(SimPort, RegistersItsComNumberAndRemovesItWhenStopped) {
  ScopedTestHome home;
  SimOptions o;
  o.inputPercent = 25.0;
  o.comPort = 7;
  auto sim = std::make_unique<CKT5RSSimulator>(o);
  sim->Start();
  ASSERT_EQ(sim->ComNumber(), 7);
  EXPECT_EQ(sim->ComName(), "COM7");
  CComPortMap map;
  std::string resolved;
  EXPECT_TRUE(map.TryResolve(7, resolved));
  EXPECT_EQ(resolved, sim->DevicePath());
  {
    CCommInterface c;
    c.Open(7);
    EXPECT_EQ(Upload(c).inputType, 0);
    EXPECT_EQ(c.ReadItem(4), "25.0000");
  }
  // A second one takes the next free number.
  SimOptions o2;
  CKT5RSSimulator second(o2);
  second.Start();
  EXPECT_NE(second.ComNumber(), 7);
  EXPECT_GT(second.ComNumber(), 0);
  sim.reset(); // the destructor stops it
  EXPECT_EQ(IdOf([&] { CSerialIO().Open(7); }), IDS_PORT_OPEN_FAILED);
  second.Stop();
  second.Stop();
  EXPECT_TRUE(CComPortMap().Entries().empty());
}

} // namespace
