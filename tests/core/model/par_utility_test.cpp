// The utility actions against the instrument simulator: the command lines
// each one sends, what it leaves in the model and the device, and the
// answers it gets through the scripted user interface host.
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "scripted_ui_host.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Lines = std::vector<std::string>;

SimOptions Options(const std::string &model = "KT5RS") {
  SimOptions o;
  o.model = model;
  o.registerPort = false;
  o.inputPercent = 50.0;
  return o;
}

class Utility : public ::testing::Test {
protected:
  explicit Utility(const std::string &model = "KT5RS") : sim(Options(model)) {}

  void SetUp() override {
    sim.Start();
    comm.OpenDevice(sim.DevicePath());
    // The live-value poller leaves group 1 selected between its cycles.
    comm.SelectGroup(1);
    model.SetServiceFlag(true);
  }

  // Runs the action and returns the command lines it sent.
  Lines Run(int block, int slot, bool online = true) {
    sim.ClearTranscript();
    model.ExecuteUtility(online ? &comm : nullptr, block, slot);
    return sim.Commands();
  }

  // The first lines of what was sent, up to n.
  static Lines Head(const Lines &lines, std::size_t n) {
    return Lines(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(n, lines.size())));
  }

  Lines Texts() const { return host.MessageTexts(); }

  CScriptedUIHost host;
  CKT5RSSimulator sim;
  CCommInterface comm;
  CParKT5RS model;
};

TEST_F(Utility, FineZeroSendsTheTypedTextAtItem31AndRefusesALineBreak) {
  host.AnswerPrompts({"4.000"});
  const Lines sent = Run(1, 0);
  EXPECT_EQ(Head(sent, 5), (Lines{"I90", "D2", "I31", "DZ4.000", "G01"}));
  EXPECT_EQ(host.Prompts(), (std::vector<int>{IDS_PROMPT_TRUE_INPUT}));
  EXPECT_EQ(model.GetValue(1, 2), 40000); // re-read: Y is the true value now

  host.AnswerPrompts({"4\rDC"});
  EXPECT_TRUE(Run(1, 0).empty());
  EXPECT_EQ(Texts(), Lines{LoadString(IDS_VALUE_LINE_BREAK)});
}

TEST_F(Utility, FineSpanFromTrueInputAndReadingAndNeverDividesByZero) {
  sim.SetInputPercent(19.8);
  ASSERT_NEAR(sim.Live().rawInput, 19.8, 1e-9);
  host.AnswerPrompts({"20"});
  EXPECT_EQ(Head(Run(1, 1), 7), (Lines{"I90", "D2", "I06", "D", "I31", "DS101.0101", "G01"}));
  EXPECT_EQ(model.GetValue(1, 3), 1010101);

  model.SetValueString(1, 1, "19.8");
  host.AnswerPrompts({"20"});
  EXPECT_EQ(Run(1, 1), (Lines{"I90", "D2", "I06", "D"}));
  EXPECT_EQ(Texts(), Lines{LoadString(IDS_FINE_SPAN_NO_DIVISOR)});
}

TEST_F(Utility, OutputFineZeroWritesTheCorrectionAndLeavesTheAdjustMode) {
  model.SetValue(4, 1, 200000);
  model.SetValue(4, 0, 40000);
  host.AnswerPrompts({"4.08"});
  const Lines sent = Run(5, 0);
  EXPECT_EQ(Head(sent, 9), (Lines{"I90", "D2", "I30", "DZ", "I19", "D-0.5000", "I30", "DR", "G01"}));
  EXPECT_EQ(host.Prompts(), (std::vector<int>{IDS_PROMPT_MEASURED_OUTPUT}));
  EXPECT_EQ(sim.State().outFineZero, -5000);
}

TEST_F(Utility, AFailedCorrectionWriteStillLeavesTheOutputAdjustModeAndReportsTheWriteFailure) {
  host.AnswerPrompts({"4.5"});
  // "I90" "D2" "I30" "DZ" answered; the correction's item select is garbled.
  sim.SetFault(SimFault::Garbage, 4, 1);
  sim.ClearTranscript();
  int id = 0;
  try {
    model.ExecuteUtility(&comm, 5, 0);
  } catch (const CException &e) {
    id = e.GetId();
  }
  EXPECT_NE(id, 0);
  const Lines sent = sim.Commands();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(Lines(sent.end() - 2, sent.end()), (Lines{"I30", "DR"}));
  EXPECT_EQ(sim.OutputAdjustMode(), 0);

  // The release failing as well changes nothing of what is reported.
  host.AnswerPrompts({"4.5"});
  sim.SetFault(SimFault::Garbage, 4, -1);
  int again = 0;
  try {
    model.ExecuteUtility(&comm, 5, 0);
  } catch (const CException &e) {
    again = e.GetId();
  }
  sim.ClearFault();
  EXPECT_EQ(again, id);
}

TEST_F(Utility, OutputFineSpanCancelledOrWithoutSpanStillEndsTheAdjustModeAndRereads) {
  host.CancelNextPrompt();
  const Lines sent = Run(5, 1);
  // Block 5 is re-read from its output type (item 11), block 4 from its range (item 12).
  EXPECT_EQ(Head(sent, 13), (Lines{"I90", "D2", "I30", "DS", "I30", "DR", "G01", "I90", "D2", "I11", "D", "I19", "D"}));
  EXPECT_NE(std::find(sent.begin() + 13, sent.end(), "I12"), sent.end());

  // A device whose range has no span: nothing is asked and nothing written.
  SimState flat = sim.State();
  flat.output0 = flat.output100 = 100000;
  sim.SetState(flat);
  model.ReadFromDevice(&comm, 4, -1);
  host.Clear();
  const Lines noSpan = Run(5, 1);
  EXPECT_EQ(Head(noSpan, 6), (Lines{"I90", "D2", "I30", "DS", "I30", "DR"}));
  EXPECT_TRUE(host.Prompts().empty());
  EXPECT_EQ(Texts(), Lines{LoadString(IDS_OUTPUT_SPAN_NO_DIVISOR)});
  EXPECT_EQ(sim.State().outFineSpan, 1000000);
}

TEST_F(Utility, RangeCalibrationHoldsTheOutputAndSaysWhyAnOutOfRangeReadingIsRefused) {
  model.ReadFromDevice(&comm, -1, -1);
  sim.SetInputPercent(10);
  host.AnswerQuestions({IDYES});
  EXPECT_EQ(Head(Run(2, 0), 10),
            (Lines{"I90", "D2", "I04", "D", "I01", "D1", "I14", "D10.0000 100.0000", "I01", "D0"}));
  EXPECT_EQ(model.GetValue(2, 0), 100000);

  // 100 % below 0 % plus the minimum span: nothing is sent after the
  // reading, and the user learns why instead of taking it for done.
  host.Clear();
  EXPECT_EQ(Run(2, 1), (Lines{"I90", "D2", "I04", "D"}));
  const Lines refused = Texts();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].find(LoadString(IDS_UT_INPUT_100_CAL)), std::string::npos);
  EXPECT_NE(refused[0].find("10.0000"), std::string::npos); // the reading
  EXPECT_EQ(host.Messages()[0].style & MB_YESNO, 0u);       // told, not asked

  host.AnswerQuestions({IDYES});
  EXPECT_EQ(Head(Run(2, 2), 6), (Lines{"I90", "D2", "I16", "DM", "DC", "DR"}));
  EXPECT_EQ(model.GetValue(2, 0), 0);
}

TEST_F(Utility, ResetsAndCalibrationsFromTheReadingAskFirstAndNoSendsNothing) {
  model.ReadFromDevice(&comm, -1, -1);
  sim.SetInputPercent(10);
  // Only the model check, and for a calibration the reading it asks about.
  const std::pair<std::pair<int, int>, Lines> cases[] = {
      {{1, 2}, {"I90", "D2"}},             {{2, 2}, {"I90", "D2"}}, {{4, 2}, {"I90", "D2"}},
      {{5, 2}, {"I90", "D2"}},             {{2, 0}, {"I90", "D2", "I04", "D"}},
      {{4, 0}, {"I90", "D2", "I02", "D"}},
  };
  for (const auto &[address, expected] : cases) {
    host.Clear();
    host.AnswerQuestions({IDNO});
    EXPECT_EQ(Run(address.first, address.second), expected) << address.first << "." << address.second;
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].style, MB_YESNO | MB_ICONQUESTION);
  }
  // The calibration's question names the reading and the value it replaces.
  host.Clear();
  host.AnswerQuestions({IDNO});
  Run(2, 0);
  EXPECT_NE(Texts()[0].find("10.0000"), std::string::npos);
  EXPECT_NE(Texts()[0].find(model.GetName(2, 0) + " (now " + model.GetValueText(2, 0) + ")"), std::string::npos);

  // Yes: the fine adjustment goes back, and the user is told what the
  // instrument now holds.
  SimState adjusted = sim.State();
  adjusted.fineZeroX = 12345;
  sim.SetState(adjusted);
  model.ReadFromDevice(&comm, 1, -1);
  host.Clear();
  host.AnswerQuestions({IDYES});
  EXPECT_EQ(Head(Run(1, 2), 4), (Lines{"I90", "D2", "I31", "DC"}));
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_NE(Texts()[0].find(model.GetName(1, 1) + ": 1.2345"), std::string::npos);
  EXPECT_NE(Texts()[1].find(model.GetName(1, 1) + ": " + model.GetValueText(1, 1)), std::string::npos);
  EXPECT_EQ(model.GetValue(1, 1), sim.State().fineZeroX);
}

TEST_F(Utility, UserTableIsCutTo101PointsAndZeroedBehindTheLast) {
  CTableFile longTable;
  for (int k = 0; k < 150; ++k)
    longTable.Add(k * 0.5, 100 - k * 0.5);
  host.AnswerTable(longTable);
  Run(3, 0);
  ASSERT_EQ(host.TablesShown().size(), 1u);
  EXPECT_EQ(host.TablesShown()[0].Size(), 3u); // the model's three default points
  EXPECT_EQ(sim.State().points, 101);
  EXPECT_EQ(sim.State().tableX[100], 500000);
  EXPECT_EQ(sim.State().tableY[100], 500000);
  EXPECT_EQ(model.GetValue(3, 1), 101);

  // Offline too, and one point is taken without the 2-point minimum.
  CTableFile one;
  one.Add(12.3456, -1.5);
  host.AnswerTable(one);
  EXPECT_TRUE(Run(3, 0, false).empty());
  EXPECT_EQ(model.GetValue(3, 1), 1);
  EXPECT_EQ(model.GetValue(3, 2), 123456);
  EXPECT_EQ(model.GetValue(3, 3), -15000);
  for (int item = 4; item < CParKT7W::kBlock3Items; ++item)
    EXPECT_EQ(model.GetValue(3, item), 0) << item;

  // A table that is only looked at comes back unchanged.
  model.SetValue(3, 1, 2);
  model.SetValue(3, 2, -131063);
  host.AnswerTable(model.GetUserTable());
  Run(3, 0, false);
  EXPECT_EQ(model.GetValue(3, 2), -131063);
}

TEST_F(Utility, LoopTestModesAndTheirFlag) {
  model.SetValue(5, 0, 1);
  host.AnswerLoop({2, 12340});
  EXPECT_EQ(Run(5, 3), (Lines{"I90", "D2", "I01", "D1", "I02", "D1.2340"}));
  ASSERT_EQ(host.LoopLimitsShown().size(), 1u);
  EXPECT_EQ(host.LoopLimitsShown()[0].low, -32500);
  EXPECT_EQ(host.LoopLimitsShown()[0].high, 32500);
  EXPECT_TRUE(model.GetLoopTest());
  EXPECT_TRUE(sim.FixedOutput());

  host.AnswerLoop({3, 0});
  EXPECT_EQ(Run(5, 3), (Lines{"I90", "D2", "I01", "D0"}));
  EXPECT_FALSE(model.GetLoopTest());

  host.AnswerLoop({1, 0});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run(5, 3), (Lines{"I90", "D2", "I01", "D0", "I01", "D1"}));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_TRUE(model.GetLoopTest());

  host.AnswerLoop({0, 0});
  EXPECT_EQ(Run(5, 3), (Lines{"I90", "D2"}));
  EXPECT_TRUE(model.GetLoopTest());
}

TEST_F(Utility, CalibrationProceduresRunOnlyInTheServiceModeAndRereadAfterwards) {
  const Lines sent = Run(5, 4);
  EXPECT_EQ(host.OutputCalibrations(), 1);
  EXPECT_EQ(Head(sent, 5), (Lines{"I90", "D2", "G01", "I90", "D2"}));
  EXPECT_NE(std::find(sent.begin(), sent.end(), "I12"), sent.end());

  model.SetServiceFlag(false);
  EXPECT_TRUE(Run(5, 4).empty());
  EXPECT_EQ(host.OutputCalibrations(), 1);
}

TEST_F(Utility, OfflineEveryActionButTheUserTableSays202) {
  int labelled = 0;
  for (int block = 0; block < 6; ++block)
    for (int slot = 0; slot < 5; ++slot)
      if (!model.GetUtilityLabel(block, slot).empty() && model.GetUtilityLabel(block, slot) != LoadString(IDS_UT_TREND_GRAPH)) {
        host.AnswerPrompts({"1"});
        host.AnswerTable(CTableFile());
        Run(block, slot, false);
        ++labelled;
      }
  EXPECT_EQ(labelled, 15);
  EXPECT_EQ(Texts(), Lines(14, LoadString(IDS_ONLY_ONLINE)));
  EXPECT_TRUE(sim.Commands().empty());
  EXPECT_EQ(host.TablesShown().size(), 1u);
}

class UtilityOnOtherModel : public Utility {
protected:
  UtilityOnOtherModel() : Utility("KT9X") {}
};

TEST_F(UtilityOnOtherModel, NothingIsSentAfterTheModelCheck) {
  for (const auto &[block, slot] : {std::pair{1, 2}, {2, 0}, {4, 2}, {5, 0}, {5, 3}, {5, 4}}) {
    host.AnswerPrompts({"1"});
    try {
      Run(block, slot);
      ADD_FAILURE() << block << "." << slot << " ran";
    } catch (const CParameterException &e) {
      EXPECT_EQ(e.GetId(), IDS_DEVICE_NOT_SUPPORTED);
    }
    EXPECT_EQ(sim.Commands(), (Lines{"I90", "D2"})) << block << "." << slot;
  }
  EXPECT_EQ(host.OutputCalibrations(), 0);
  EXPECT_TRUE(host.LoopLimitsShown().empty());
}

} // namespace
