// The parameter model against the instrument simulator: the exact command
// lines of every transfer, and what ends up in the model and the device.
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"
#include "pty_peer.h"
#include "core/resources/string_ids.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

void Append(Lines &lines, std::initializer_list<std::string> more) { lines.insert(lines.end(), more); }

// Every store field set away from its default, within the limits of the model.
SimState EditedState(const std::string &model) {
  SimState s = CKT5RSSimulator::DefaultState(model);
  const bool kt7w = model == "KT7W";
  s.inputType = 2;
  s.burnout = kt7w ? 0 : 2;
  s.filter = 25000;
  s.fineZeroX = -130400;
  s.fineZeroY = 1;
  s.fineSpan = 1012345;
  s.input0 = kt7w ? -50000 : 12500;
  s.input100 = kt7w ? 75000 : 987654;
  s.linearization = 1;
  s.points = 7;
  for (int k = 0; k < 101; ++k) {
    s.tableX[k] = (k * 11113) % 1300000 - 150000;
    s.tableY[k] = 1150000 - (k * 7919) % 1300000;
  }
  s.outputType = 1;
  s.output0 = -20000;
  s.output100 = 24999;
  s.outFineZero = -149999;
  s.outFineSpan = 1149999;
  s.serial = "S-42";
  s.tag = "PUMP 7";
  return s;
}

SimOptions Options(const std::string &model) {
  SimOptions o;
  o.model = model;
  o.registerPort = false;
  o.inputPercent = 50.0;
  return o;
}

struct Device {
  explicit Device(const std::string &model = "KT5RS") : sim(Options(model)) {
    sim.Start();
    comm.OpenDevice(sim.DevicePath());
  }
  CKT5RSSimulator sim;
  CCommInterface comm;
};

std::string Text(std::int32_t stored) {
  CParKT7W scratch;
  scratch.SetValue(1, 1, stored);
  return scratch.GetValueString(1, 1);
}

// A whole upload as the instrument sees it.
Lines UploadLines(bool kt5rs) {
  Lines v = {"G01", "I90", "D2",  "I10", "D",   "I18", "D",  "I31", "DZ",
             "I14", "D",   "I25", "D",   "I62", "DR",  "DZ", "I62", "DR"};
  for (int k = 0; k <= 100; ++k)
    Append(v, {"DX" + std::to_string(k), "DY" + std::to_string(k)});
  Append(v, {"I11", "D", "I12", "D", "I19", "D", "I20", "DS", "I90", "D0", "I90", "D2", "I90", "D3", "I90",
             "D6"});
  if (kt5rs)
    Append(v, {"I24", "D"});
  return v;
}

// A whole download of the store as the instrument sees it.
Lines DownloadLines(const SimState &s, bool kt5rs, bool loopTest = false) {
  Lines v = {"G01", "I90", "D2", "I01", "D1", "I10", "D" + std::to_string(s.inputType)};
  if (!loopTest)
    Append(v, {"I01", "D0"});
  Append(v, {"I18", "D" + Text(s.filter), "I31", "DZZ" + Text(s.fineZeroX) + " " + Text(s.fineZeroY), "I31",
             "DS" + Text(s.fineSpan), "I14", "D" + Text(s.input0) + " " + Text(s.input100), "I25",
             "D" + std::to_string(s.linearization), "I62", "DZ" + std::to_string(s.points), "DW", "I62"});
  for (int k = 0; k <= 100; ++k)
    Append(v, {"DX" + std::to_string(k) + "D" + Text(s.tableX[k]),
               "DY" + std::to_string(k) + "D" + Text(s.tableY[k])});
  Append(v, {"DW", "I01", "D1", "I11", "D" + std::to_string(s.outputType)});
  if (!loopTest)
    Append(v, {"I01", "D0"});
  Append(v, {"I12", "D" + Text(s.output0) + " " + Text(s.output100), "I19", "D" + Text(s.outFineZero), "I20",
             "DS" + Text(s.outFineSpan)});
  if (kt5rs)
    Append(v, {"I24", "D" + std::to_string(s.burnout)});
  return v;
}

// The parameters a whole transfer moves (device information left out).
void ExpectSameParameters(const SimState &a, const SimState &b) {
  SimState x = a, y = b;
  x.model = y.model;
  x.firmware = y.firmware;
  x.serial = y.serial;
  x.tag = y.tag;
  x.sw28 = y.sw28;
  EXPECT_TRUE(x == y) << "\nfirst:\n"
                      << ::testing::PrintToString(x.tableX) << "\nsecond:\n"
                      << ::testing::PrintToString(y.tableX);
}

void ExpectModelHolds(const CParKT7W &m, const SimState &s, bool kt5rs) {
  EXPECT_EQ(m.GetValue(0, 0), s.inputType);
  if (kt5rs) {
    EXPECT_EQ(m.GetValue(0, 1), s.burnout);
  }
  EXPECT_EQ(m.GetValue(1, 0), s.filter);
  EXPECT_EQ(m.GetValue(1, 1), s.fineZeroX);
  EXPECT_EQ(m.GetValue(1, 2), s.fineZeroY);
  EXPECT_EQ(m.GetValue(1, 3), s.fineSpan);
  EXPECT_EQ(m.GetValue(2, 0), s.input0);
  EXPECT_EQ(m.GetValue(2, 1), s.input100);
  EXPECT_EQ(m.GetValue(3, 0), s.linearization);
  EXPECT_EQ(m.GetValue(3, 1), s.points);
  for (int k = 0; k < 101; ++k) {
    EXPECT_EQ(m.GetValue(3, 2 + 2 * k), s.tableX[k]) << k;
    EXPECT_EQ(m.GetValue(3, 3 + 2 * k), s.tableY[k]) << k;
  }
  EXPECT_EQ(m.GetValue(4, 0), s.output0);
  EXPECT_EQ(m.GetValue(4, 1), s.output100);
  EXPECT_EQ(m.GetValue(5, 0), s.outputType);
  EXPECT_EQ(m.GetValue(5, 1), s.outFineZero);
  EXPECT_EQ(m.GetValue(5, 2), s.outFineSpan);
  EXPECT_EQ(m.GetValueString(6, 0), s.model);
  EXPECT_EQ(m.GetValueString(6, 1), s.firmware);
  EXPECT_EQ(m.GetValueString(6, 2), s.serial);
  EXPECT_EQ(m.GetValueString(6, 3), s.tag);
}

template <typename F> int IdOf(F &&call) {
  try {
    call();
  } catch (const CException &e) {
    return e.GetId();
  }
  return 0;
}

} // namespace

// --- whole transfers of both models

TEST(Transfer, WholeKT5RSUploadLinesAndValues) {
  Device d;
  const SimState state = EditedState("KT5RS");
  d.sim.SetState(state);
  d.sim.ClearTranscript();
  CParKT5RS m;
  m.SetLoopTest(true);
  m.ReadFromDevice(&d.comm, -1, -1);
  EXPECT_EQ(d.sim.Commands(), UploadLines(true));
  ExpectModelHolds(m, state, true);
  EXPECT_EQ(m.GetValue(0, 1), 2);
  EXPECT_FALSE(m.GetLoopTest());
  // Device information is not counted, so a whole set ends a little short.
  EXPECT_EQ(m.GetTransferCount(), 217);
  EXPECT_EQ(m.GetProgress(), 98);
  m.ResetProgress();
  EXPECT_EQ(m.GetProgress(), 0);
}

TEST(Transfer, WholeKT5RSDownloadLinesAndDeviceState) {
  Device d;
  const SimState state = EditedState("KT5RS");
  CParKT5RS m;
  {
    Device source;
    source.sim.SetState(state);
    m.ReadFromDevice(&source.comm, -1, -1);
  }
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, -1, -1);
  EXPECT_EQ(d.sim.Commands(), DownloadLines(state, true));
  ExpectSameParameters(d.sim.State(), state);
  // A whole download leaves the device information alone.
  EXPECT_EQ(d.sim.State().serial, "A0000001");
  EXPECT_EQ(m.GetTransferCount(), 217);
}

TEST(Transfer, WholeKT7WUploadAndDownload) {
  Device source("KT7W");
  const SimState state = EditedState("KT7W");
  source.sim.SetState(state);
  source.sim.ClearTranscript();
  CParKT7W m;
  m.ReadFromDevice(&source.comm, -1, -1);
  EXPECT_EQ(source.sim.Commands(), UploadLines(false));
  ExpectModelHolds(m, state, false);
  EXPECT_EQ(m.GetTransferCount(), 216);

  Device target("KT7W");
  target.sim.ClearTranscript();
  m.WriteToDevice(target.comm, -1, -1);
  EXPECT_EQ(target.sim.Commands(), DownloadLines(state, false));
  ExpectSameParameters(target.sim.State(), state);
  EXPECT_EQ(m.GetProgress(), 216 * 100 / 220);
}

TEST(Transfer, LoopTestKeepsItemOneHeldThroughTypeWrites) {
  Device d;
  CParKT5RS m;
  m.SetLoopTest(true);
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, -1, -1);
  EXPECT_EQ(d.sim.Commands(), DownloadLines(CKT5RSSimulator::DefaultState("KT5RS"), true, true));
  EXPECT_TRUE(d.sim.FixedOutput());

  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 5, 0);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I01", "D1", "I11", "D0"}));
  EXPECT_TRUE(d.sim.FixedOutput());

  m.SetLoopTest(false);
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 5, 0);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I01", "D1", "I11", "D0", "I01", "D0"}));
  EXPECT_FALSE(d.sim.FixedOutput());
}

// --- single parameters and blocks

TEST(Transfer, InputTypeWriteIsFollowedByTwoReadsOfTheInputRange) {
  Device d;
  CParKT5RS m;
  m.SetValue(0, 0, 4);
  m.SetValueString(2, 0, "20"); // not on the device: the read-back replaces it
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 0, 0);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I01", "D1", "I10", "D4", "I01", "D0", "G01", "I90",
                                     "D2", "I14", "D", "G01", "I90", "D2", "I14", "D"}));
  EXPECT_EQ(d.sim.State().inputType, 4);
  EXPECT_EQ(m.GetValue(2, 0), 0);
  EXPECT_EQ(m.GetValue(2, 1), 1000000);
}

TEST(Transfer, WholeBlockZeroWritesTypeReadsBackAndEndsWithBurnout) {
  Device d;
  CParKT5RS m;
  m.SetValue(0, 0, 1);
  m.SetValue(0, 1, 1);
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 0, -1);
  EXPECT_EQ(d.sim.Commands(),
            (Lines{"G01", "I90", "D2", "I01", "D1",  "I10", "D1",  "I01", "D0",  "G01", "I90",
                   "D2",  "I14", "D",  "G01", "I90", "D2",  "I14", "D",   "I24", "D1"}));
  EXPECT_EQ(d.sim.State().burnout, 1);

  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 0, 1);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I24", "D1"}));
  d.sim.ClearTranscript();
  m.ReadFromDevice(&d.comm, 0, 1);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I24", "D"}));
}

TEST(Transfer, NumberOfPointsAloneAndBlockThreeWhole) {
  Device d;
  CParKT5RS m;
  m.SetValue(3, 1, 5);
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 3, 1);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I62", "DZ5", "DW"}));
  EXPECT_EQ(d.sim.State().points, 5);

  m.SetValue(3, 0, 1);
  m.SetValueString(3, 202, "12.5");
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 3, -1);
  Lines expected = {"G01", "I90", "D2", "I25", "D1", "I62", "DZ5", "DW", "I62"};
  for (int k = 0; k <= 100; ++k)
    Append(expected, {"DX" + std::to_string(k) + "D" + m.GetValueString(3, 2 + 2 * k),
                      "DY" + std::to_string(k) + "D" + m.GetValueString(3, 3 + 2 * k)});
  expected.push_back("DW");
  EXPECT_EQ(d.sim.Commands(), expected);
  EXPECT_EQ(d.sim.State().tableX[100], 125000);
  EXPECT_EQ(d.sim.State().linearization, 1);

  // One table item travels alone, framed by its selection and the commit.
  m.SetValueString(3, 9, "-7.25");
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 3, 9);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I62", "DY3D-7.2500", "DW"}));
  EXPECT_EQ(d.sim.State().tableY[3], -72500);
  d.sim.ClearTranscript();
  m.ReadFromDevice(&d.comm, 3, 9);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I62", "DR", "DY3"}));
}

TEST(Transfer, PairsTravelWholeButSingleReadsStoreOnlyTheirOwnValue) {
  Device d;
  CParKT5RS m;
  m.SetValueString(1, 2, "-3");
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 1, 2);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I31", "DZZ0.0000 -3.0000"}));
  m.SetValueString(4, 1, "10");
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 4, 1);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I12", "D0.0000 10.0000"}));

  SimState s = d.sim.State();
  s.fineZeroX = 15000;
  s.fineZeroY = 25000;
  s.fineSpan = 1000000;
  s.output0 = 30000;
  d.sim.SetState(s);
  m.ReadFromDevice(&d.comm, 1, 2);
  EXPECT_EQ(m.GetValue(1, 1), 0);
  EXPECT_EQ(m.GetValue(1, 2), 25000);
  m.ReadFromDevice(&d.comm, 4, 1);
  EXPECT_EQ(m.GetValue(4, 0), 0);
  m.ReadFromDevice(&d.comm, 1, -1);
  EXPECT_EQ(m.GetValue(1, 1), 15000);
  EXPECT_EQ(m.GetValue(1, 3), 1000000);
  // Counted since the write of the output range: its 2, then 3, 2 and 1 + 3.
  EXPECT_EQ(m.GetTransferCount(), 2 + 3 + 2 + 1 + 3);
}

TEST(Transfer, EmptyTagIsSentAsOneBlank) {
  Device d;
  CParKT5RS m;
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 6, 3);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "I90", "D6 "}));
  m.ReadFromDevice(&d.comm, 6, 3);
  EXPECT_EQ(m.GetValueString(6, 3), "");
}

TEST(Transfer, DeviceInformationIsWrittenOnlyOnRequestModelAndSerialInGroup99) {
  Device d;
  CParKT5RS m;
  m.SetValueString(6, 0, "KT5RS");
  m.SetValueString(6, 2, "B777");
  m.SetValueString(6, 3, "FT-101");
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 6, -1);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2", "G99", "I90", "D0KT5RS", "G01", "G99", "I90",
                                     "D3B777", "G01", "I90", "D6FT-101"}));
  EXPECT_EQ(d.sim.State().serial, "B777");
  EXPECT_EQ(d.sim.State().tag, "FT-101");

  // The firmware is the device's own.
  d.sim.ClearTranscript();
  m.WriteToDevice(d.comm, 6, 1);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2"}));
}

TEST(Transfer, TagNoBecomesEditableForTheClassAfterAConnectedRead) {
  Device d;
  CParKT5RS m, other;
  CParKT7W kt7w;
  kt7w.ReadFromDevice(nullptr, -1, -1);
  m.ReadFromDevice(nullptr, -1, -1);
  EXPECT_EQ(other.GetEditKind(6, 3), EDIT_NONE);
  m.ReadFromDevice(&d.comm, 6, 3);
  EXPECT_EQ(other.GetEditKind(6, 3), EDIT_TEXT);
  EXPECT_EQ(kt7w.GetEditKind(6, 3), EDIT_NONE); // another class, another table
  EXPECT_EQ(m.GetValueString(6, 0), "");        // only the tag was read

  m.ReadFromDevice(&d.comm, 6, -1);
  EXPECT_EQ(m.GetValueString(6, 1), "KT5RS Ver 1.00");
  d.sim.ClearTranscript();
  m.ReadFromDevice(nullptr, -1, -1);
  EXPECT_TRUE(d.sim.Commands().empty());
  EXPECT_EQ(m.GetValueString(6, 1), "");
  EXPECT_EQ(other.GetEditKind(6, 3), EDIT_NONE);
}

// --- model check, edit switch, flags

TEST(Transfer, DeviceOfAnotherModelIsRefusedBeforeAnythingMoves) {
  Device d("KT7W");
  CParKT5RS m;
  m.SetValue(0, 1, 2);
  d.sim.ClearTranscript();
  EXPECT_EQ(IdOf([&] { m.ReadFromDevice(&d.comm, -1, -1); }), IDS_DEVICE_NOT_SUPPORTED);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2"}));
  EXPECT_EQ(m.GetValue(0, 1), 2);
  EXPECT_EQ(m.GetValue(2, 1), 1000000);

  d.sim.ClearTranscript();
  EXPECT_EQ(IdOf([&] { m.WriteToDevice(d.comm, -1, -1); }), IDS_DEVICE_NOT_SUPPORTED);
  EXPECT_EQ(d.sim.Commands(), (Lines{"G01", "I90", "D2"}));

  // The base model's name is a prefix test: "KT5RS..." is not "KT7W".
  Device kt5rs;
  CParKT7W kt7w;
  EXPECT_EQ(IdOf([&] { kt7w.ReadFromDevice(&kt5rs.comm, -1, -1); }), IDS_DEVICE_NOT_SUPPORTED);
  EXPECT_EQ(IdOf([&] { kt7w.VerifyDeviceModel(d.comm); }), 0);
}

TEST(Transfer, RequireOnlineNeedsAConnectionToTheRightModel) {
  CScriptedUIHost host;
  CParKT5RS m;
  EXPECT_FALSE(m.RequireOnline(nullptr));
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "This function can be executed only at online.");
  EXPECT_EQ(host.Messages()[0].style, MB_ICONERROR);
  // The live-value poller has group 1 selected when an action starts.
  Device d;
  d.comm.SelectGroup(1);
  EXPECT_TRUE(m.RequireOnline(&d.comm));
  Device other("KT7W");
  other.comm.SelectGroup(1);
  EXPECT_EQ(IdOf([&] { m.RequireOnline(&other.comm); }), IDS_DEVICE_NOT_SUPPORTED);
}

TEST(Transfer, EditSwitchQueryInGroup99) {
  CScriptedUIHost host;
  Device d;
  CParKT5RS m;
  d.sim.ClearTranscript();
  EXPECT_TRUE(m.CheckEditSwitch(d.comm));
  EXPECT_EQ(d.sim.Commands(), (Lines{"G99", "I07", "DW", "G01"}));
  EXPECT_TRUE(host.Messages().empty());

  d.sim.SetSw28(false);
  EXPECT_FALSE(m.CheckEditSwitch(d.comm));
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "Can't edit parameters because device's SW2-8 is OFF.");
  EXPECT_EQ(host.Messages()[0].style, MB_ICONERROR);
}

TEST(Transfer, FineZeroWrittenFlagKeepsALowestXOnce) {
  Device d;
  CParKT5RS m;
  m.SetValueString(1, 1, "-10000");
  m.WriteToDevice(d.comm, 1, 1);
  SimState s = d.sim.State();
  EXPECT_EQ(s.fineZeroX, -100000000);
  s.fineZeroX = 50000;
  d.sim.SetState(s);
  m.ReadFromDevice(&d.comm, 1, 1);
  EXPECT_EQ(m.GetValue(1, 1), -100000000);
  // The read cleared the flag: the next one takes the device's value.
  m.ReadFromDevice(&d.comm, 1, 1);
  EXPECT_EQ(m.GetValue(1, 1), 50000);

  // Any other X is taken at once.
  m.SetValueString(1, 1, "-9999");
  m.WriteToDevice(d.comm, 1, -1);
  s = d.sim.State();
  s.fineZeroX = 10000;
  d.sim.SetState(s);
  m.ReadFromDevice(&d.comm, 1, 1);
  EXPECT_EQ(m.GetValue(1, 1), 10000);
}

// --- replies that do not parse, and values that fail validation

TEST(Transfer, GarbledRawReplyIsRefusedAndStoresNothing) {
  Device d;
  CParKT5RS m;
  SimState s = d.sim.State();
  s.input0 = 100000;
  d.sim.SetState(s);
  // G01, I90, D2, I14 answered normally, then the range reply garbled.
  d.sim.SetFault(SimFault::Garbage, 4, 1);
  EXPECT_EQ(IdOf([&] { m.ReadFromDevice(&d.comm, 2, -1); }), IDS_INVALID_D_RESPONSE);
  EXPECT_EQ(m.GetValue(2, 0), 0);
  EXPECT_EQ(m.GetValue(2, 1), 1000000);
  d.sim.ClearFault();
  m.ReadFromDevice(&d.comm, 2, -1);
  EXPECT_EQ(m.GetValue(2, 0), 100000);
}

TEST(Transfer, ShortRepliesAreRefusedAndRoundingMatchesTheTexts) {
  CPtyPeer peer;
  std::string dz = "DZ1.5 2.5";
  std::string range = "D-13.0400 115";
  std::string plain = "D0";
  std::string item;
  peer.Respond([&](const std::string &command) -> std::string {
    if (command[0] == 'G')
      return "Denter item\r";
    if (command[0] == 'I') {
      item = command;
      return "D\r";
    }
    if (command == "D2")
      return "DKT5RS Ver 1.00\r";
    if (command == "DZ")
      return dz + "\r";
    if (command == "D")
      return (item == "I14" ? range : plain) + "\r";
    return "D\r";
  });
  CCommInterface comm;
  comm.OpenDevice(peer.SlavePath());
  CParKT5RS m;
  EXPECT_EQ(IdOf([&] { m.ReadFromDevice(&comm, 1, 3); }), IDS_INVALID_D_RESPONSE);
  EXPECT_EQ(m.GetValue(1, 1), 0);
  EXPECT_EQ(m.GetValue(1, 3), 1000000);

  dz = "DZ1.5 2.5 100.0";
  m.ReadFromDevice(&comm, 1, -1);
  EXPECT_EQ(m.GetValue(1, 1), 15000);
  EXPECT_EQ(m.GetValue(1, 2), 25000);
  EXPECT_EQ(m.GetValue(1, 3), 1000000);

  // Taken without validation, and without losing the last ten-thousandth.
  m.ReadFromDevice(&comm, 2, -1);
  EXPECT_EQ(m.GetValue(2, 0), -130400);
  EXPECT_EQ(m.GetValue(2, 1), 1150000);

  // Number of points: "%d" of the DZ reply after its first character.
  dz = "D";
  EXPECT_EQ(IdOf([&] { m.ReadFromDevice(&comm, 3, 1); }), IDS_INVALID_D_RESPONSE);
  EXPECT_EQ(m.GetValue(3, 1), 3);

  // A value read with ReadItem passes the model's validation.
  plain = "D0.2";
  EXPECT_EQ(IdOf([&] { m.ReadFromDevice(&comm, 1, 0); }), IDS_FILTER_RANGE_ERROR);
  plain = "D9";
  EXPECT_EQ(IdOf([&] { m.ReadFromDevice(&comm, 0, 0); }), IDS_RANGE_ERROR);
  EXPECT_EQ(m.GetValue(0, 0), 0);
}

// --- the whole road: device, file, second device

TEST(Transfer, UploadSaveLoadDownloadCarriesEveryParameter) {
  ScopedTestHome home;
  const SimState state = EditedState("KT5RS");
  Device first;
  first.sim.SetState(state);
  CParKT5RS uploaded;
  uploaded.ReadFromDevice(&first.comm, -1, -1);
  uploaded.SaveFile(home.File("carried.cfg"));

  CParKT5RS loaded;
  loaded.LoadFile(home.File("carried.cfg"));
  Device second;
  second.sim.ClearTranscript();
  loaded.WriteToDevice(second.comm, -1, -1);
  EXPECT_EQ(second.sim.Commands(), DownloadLines(state, true));
  ExpectSameParameters(second.sim.State(), first.sim.State());
}
