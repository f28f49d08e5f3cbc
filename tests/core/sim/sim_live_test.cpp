// Live values of the simulated instrument: the input runs through fine
// adjustment, range, linearization, output range and output adjustments;
// loop test, burnout, filter and calibration change what items 2 to 6 report.
#include "sim_test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace simtest;
using namespace std::chrono_literals;

namespace {

class SimLive : public ::testing::Test {
protected:
  void SetUp() override {
    sim = std::make_unique<CKT5RSSimulator>(QuietOptions());
    sim->Start();
    link = std::make_unique<Link>(sim->DevicePath());
    link->link.SelectGroup(1);
  }

  // Items 4, 5, 3, 2 as the poller reads them, and item 6.
  double Item(int item) { return std::strtod(link->link.ReadItem(item).c_str(), nullptr); }
  std::string Write(int item, const std::string &value) { return link->At(1, item, "D" + value); }

  std::unique_ptr<CKT5RSSimulator> sim;
  std::unique_ptr<Link> link;
};

TEST_F(SimLive, OutputFollowsTheInputThroughBothRanges) {
  sim->SetInputPercent(25);
  EXPECT_EQ(link->link.ReadItem(4), "25.0000");
  EXPECT_EQ(link->link.ReadItem(5), "25.0000");
  EXPECT_EQ(link->link.ReadItem(3), "25.0000");
  EXPECT_EQ(link->link.ReadItem(2), "5.0000");

  EXPECT_EQ(Write(14, "10 60"), "D");
  EXPECT_EQ(link->link.ReadItem(4), "25.0000");
  EXPECT_EQ(link->link.ReadItem(5), "30.0000");
  EXPECT_EQ(link->link.ReadItem(2), "6.0000");

  EXPECT_EQ(Write(12, "4 20"), "D");
  EXPECT_EQ(link->link.ReadItem(2), "8.8000"); // 4 + 30 % of 16
  EXPECT_EQ(link->link.ReadItem(3), "30.0000");

  EXPECT_EQ(Write(11, "2"), "D"); // -10 V .. 10 V
  EXPECT_EQ(link->link.ReadItem(2), "-4.0000");
}

TEST_F(SimLive, LinearizationTableShapesTheOutput) {
  link->link.SelectItem(62);
  for (const char *c : {"DZ3", "DX0D0", "DY0D0", "DX1D50", "DY1D80", "DX2D100", "DY2D100", "DW"})
    EXPECT_EQ(link->Tx(c), "D") << c;
  sim->SetInputPercent(25);
  EXPECT_EQ(link->link.ReadItem(3), "25.0000"); // not enabled yet
  EXPECT_EQ(Write(25, "1"), "D");
  EXPECT_EQ(link->link.ReadItem(3), "40.0000");
  EXPECT_EQ(link->link.ReadItem(5), "25.0000"); // the input side is untouched
  sim->SetInputPercent(75);
  EXPECT_EQ(link->link.ReadItem(3), "90.0000");
  sim->SetInputPercent(110); // past the last point: along the last segment
  EXPECT_EQ(link->link.ReadItem(3), "104.0000");
}

TEST_F(SimLive, InputFineAdjustmentAsTheProgramComputesIt) {
  sim->SetInputPercent(25);
  link->link.SelectItem(31);
  EXPECT_EQ(link->Tx("DZ30"), "D"); // the true input is 30 at this point
  EXPECT_EQ(link->link.ReadItem(4), "30.0000");
  EXPECT_EQ(link->link.ReadItem(6), "25.0000"); // the raw reading is unchanged

  // Span against a second reference: (true - Y) / (m - X) * 100.
  sim->SetInputPercent(75);
  const double m = Item(6);
  const double span = (85.0 - 30.0) / (m - 25.0) * 100.0;
  link->link.SelectItem(31);
  char cmd[64];
  std::snprintf(cmd, sizeof cmd, "DS%.4lf", span);
  EXPECT_EQ(link->Tx(cmd), "D");
  EXPECT_EQ(link->link.ReadItem(4), "85.0000");
  EXPECT_EQ(link->link.ReadItem(2), "17.0000");

  link->link.SelectItem(31);
  EXPECT_EQ(link->Tx("DC"), "D");
  EXPECT_EQ(link->link.ReadItem(4), "75.0000");
}

TEST_F(SimLive, OutputFineAdjustmentAndItsForcedModes) {
  sim->SetInputPercent(50);
  EXPECT_EQ(Write(12, "4 20"), "D");
  EXPECT_EQ(Write(19, "-0.5"), "D"); // measured 4.08 at 0 %: -0.5 % of the span
  EXPECT_EQ(link->link.ReadItem(2), "11.9200");
  EXPECT_EQ(Write(20, "-1"), "D"); // a correction of 100 %
  EXPECT_EQ(link->At(1, 20, "DS"), "DS99.0000");
  EXPECT_EQ(link->link.ReadItem(3), "49.0000"); // -0.5 + 50 * 0.99

  link->link.SelectItem(30);
  EXPECT_EQ(link->Tx("DZ"), "D"); // 0 % without the fine adjustments
  EXPECT_EQ(link->link.ReadItem(2), "4.0000");
  link->link.SelectItem(30);
  EXPECT_EQ(link->Tx("DS"), "D"); // 100 % with the fine zero only
  EXPECT_EQ(link->link.ReadItem(3), "99.5000");
  link->link.SelectItem(30);
  EXPECT_EQ(link->Tx("DR"), "D");
  EXPECT_EQ(link->link.ReadItem(3), "49.0000");

  // The reset of the utility: both to their defaults.
  EXPECT_EQ(Write(19, "0"), "D");
  EXPECT_EQ(Write(20, "0"), "D");
  EXPECT_EQ(link->At(1, 20, "DS"), "DS100.0000");
  EXPECT_EQ(link->link.ReadItem(2), "12.0000");
}

TEST_F(SimLive, LoopTestHoldsTheOutput) {
  sim->SetInputPercent(25);
  EXPECT_EQ(Write(1, "1"), "D"); // freeze at what the input gives now
  sim->SetInputPercent(80);
  EXPECT_EQ(link->link.ReadItem(2), "5.0000");
  EXPECT_EQ(link->link.ReadItem(4), "80.0000");
  EXPECT_EQ(Write(2, "12.3456"), "D");
  EXPECT_EQ(link->link.ReadItem(2), "12.3456");
  EXPECT_EQ(Write(2, "23"), "D");
  EXPECT_NE(Write(2, "23.0001"), "D"); // beyond 15 % over the type's range
  EXPECT_NE(Write(2, "-3.0001"), "D");
  EXPECT_EQ(link->link.ReadItem(2), "23.0000");
  EXPECT_EQ(link->At(1, 1, "D"), "D1");
  EXPECT_EQ(Write(1, "0"), "D");
  EXPECT_EQ(link->link.ReadItem(2), "16.0000");
  EXPECT_FALSE(sim->FixedOutput());
}

TEST_F(SimLive, OpenCircuitDrivesTheOutputAsBurnoutSays) {
  sim->SetOpenCircuit(true);
  EXPECT_GT(Item(3), 100.0); // no burnout: an open sensor reads as a huge resistance
  EXPECT_EQ(Write(24, "1"), "D");
  EXPECT_EQ(link->link.ReadItem(3), "-10.0000");
  EXPECT_EQ(Write(24, "2"), "D");
  EXPECT_EQ(link->link.ReadItem(3), "110.0000");
  sim->SetOpenCircuit(false);
  EXPECT_EQ(link->link.ReadItem(3), "50.0000");
}

TEST_F(SimLive, FilterTimeConstantLagsAStep) {
  sim->SetInputPercent(20);
  EXPECT_EQ(Write(18, "5"), "D");
  sim->SetInputPercent(80);
  const double first = Item(4);
  EXPECT_LT(first, 50.0);
  std::this_thread::sleep_for(1s);
  const double later = Item(4);
  EXPECT_GT(later, first + 5.0);
  EXPECT_LT(later, 79.0);
  EXPECT_EQ(Write(18, "0"), "D");
  EXPECT_EQ(link->link.ReadItem(4), "80.0000");
}

TEST_F(SimLive, DefaultInputIsASlowWaveWithinTheRange) {
  SimOptions o = QuietOptions();
  o.inputPercent.reset();
  CKT5RSSimulator wave(o);
  wave.Start();
  Link l(wave.DevicePath());
  l.link.SelectGroup(1);
  const double a = std::strtod(l.link.ReadItem(4).c_str(), nullptr);
  EXPECT_GT(a, 15.0);
  EXPECT_LT(a, 85.0);
}

TEST_F(SimLive, InputCalibrationStoresPointsAndMovesTheReading) {
  sim->SetInputPercent(0);
  EXPECT_EQ(link->At(99, 5, "DL1.0"), "D2000 1.0000");
  EXPECT_EQ(link->At(99, 5, "DLR"), "D2000 1.0000");
  sim->SetInputPercent(100);
  EXPECT_EQ(link->At(99, 5, "DH"), "D14000 100.0000"); // nothing typed: the nominal value
  EXPECT_NE(link->At(99, 5, "DHabc").substr(0, 1), "D");
  link->link.SelectGroup(1);
  sim->SetInputPercent(0);
  EXPECT_EQ(link->link.ReadItem(4), "1.0000");
  EXPECT_EQ(link->link.ReadItem(6), "1.0000");
  sim->SetInputPercent(50);
  EXPECT_EQ(link->link.ReadItem(4), "50.5000");

  // Another input type has its own points.
  EXPECT_EQ(Write(10, "2"), "D");
  EXPECT_EQ(link->At(99, 5, "DLR"), "D2000 0.0000");
  EXPECT_EQ(sim->Calibration().inputLow[0].value, 10000);
}

TEST_F(SimLive, OutputCalibrationDrivesTheConverterAndStoresPoints) {
  // Start adjustment: fixed output on, then the DA value straight to the converter.
  EXPECT_EQ(Write(1, "1"), "D");
  EXPECT_EQ(link->At(99, 4, "DX8000"), "D8000");
  link->link.SelectGroup(1);
  EXPECT_EQ(link->link.ReadItem(2), "10.0000");
  EXPECT_EQ(link->At(99, 4, "DX2000"), "D2000");
  EXPECT_NE(link->Tx("DX20000").substr(0, 1), "D");
  EXPECT_EQ(link->Tx("DL0.1"), "D2000 0.1000"); // the meter read 0.1 mA at this DA value
  link->link.SelectGroup(1);
  EXPECT_EQ(Write(1, "0"), "D"); // set ends the adjustment
  EXPECT_EQ(link->At(99, 4, "DLR"), "D2000 0.1000");

  // The instrument now believes 2000 gives 0.1 mA, so 10 mA comes out lower.
  link->link.SelectGroup(1);
  sim->SetInputPercent(50);
  const double out = Item(2);
  EXPECT_LT(out, 9.99);
  EXPECT_GT(out, 9.9);
}

} // namespace
