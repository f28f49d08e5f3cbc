// Values, texts, defaults and validation of the KT7W and KT5RS parameter sets.
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"
#include "core/resources/string_ids.h"

#include <clocale>
#include <gtest/gtest.h>

namespace {

// The id and text of the refusal, or id 0 when the call went through.
struct Refusal {
  int id = 0;
  std::string text;
};

template <typename F> Refusal Refused(F &&call) {
  try {
    call();
  } catch (const CParameterException &e) {
    return {e.GetId(), e.GetErrorMessage()};
  }
  return {};
}

} // namespace

TEST(KT7WValues, DefaultsAndTheirTexts) {
  CParKT7W m;
  EXPECT_EQ(m.GetModelName(), "KT7W");
  EXPECT_EQ(m.GetValueText(0, 0), "0: 0 - 50mA DC");
  EXPECT_EQ(m.GetValueString(1, 3), "100.0000");
  EXPECT_EQ(m.GetValueString(2, 1), "50.0000");
  EXPECT_EQ(m.GetValueString(3, 1), "3");
  EXPECT_EQ(m.GetValueString(3, 2), "-15.0000");
  EXPECT_EQ(m.GetValueString(3, 5), "50.0000");
  EXPECT_EQ(m.GetValueString(3, 7), "115.0000");
  EXPECT_EQ(m.GetValueString(3, 8), "0.0000");
  EXPECT_EQ(m.GetValueString(4, 1), "20.0000");
  EXPECT_EQ(m.GetValueString(5, 2), "100.0000");
  EXPECT_EQ(m.GetValueText(5, 0), "0: 0 - 20mA DC");
  EXPECT_EQ(m.GetValueText(3, 0), "0: Disable");
  EXPECT_EQ(m.GetValueText(6, 3), "");
  EXPECT_EQ(m.GetInputUnit(), "mA");
  EXPECT_EQ(m.GetOutputUnit(), "mA");
  EXPECT_EQ(m.GetItemCount(0), 1);
  EXPECT_EQ(m.GetItemCount(3), 204);
}

TEST(KT7WValues, NamesEditKindsAndTableItems) {
  CParKT7W m;
  EXPECT_EQ(m.GetName(1, 2), "Fine zero adjustment Y");
  EXPECT_EQ(m.GetName(1, 3), "Fine span adjustment");
  EXPECT_EQ(m.GetName(3, 2), "X[0]");
  EXPECT_EQ(m.GetName(3, 3), "Y[0]");
  EXPECT_EQ(m.GetName(3, 203), "Y[100]");
  EXPECT_EQ(m.GetName(3, 150), "X[74]");
  EXPECT_EQ(m.GetEditKind(3, 203), EDIT_TEXT);
  EXPECT_EQ(m.GetEditKind(0, 0), EDIT_CHOICE);
  EXPECT_EQ(m.GetEditKind(6, 0), EDIT_NONE);
  EXPECT_EQ(m.GetEditKind(6, 1), EDIT_NONE);
  m.SetServiceFlag(true);
  EXPECT_EQ(m.GetEditKind(6, 0), EDIT_TEXT);
  EXPECT_EQ(m.GetEditKind(6, 2), EDIT_TEXT);
  EXPECT_EQ(m.GetEditKind(6, 1), EDIT_NONE);
  // Items that do not exist read as nothing.
  EXPECT_EQ(m.GetValue(3, 204), 0);
  EXPECT_EQ(m.GetValueString(0, 1), "");
  EXPECT_EQ(m.GetName(3, 204), "");
  EXPECT_EQ(m.GetChoiceText(0, 0, 3), "");
  EXPECT_EQ(m.GetChoiceText(0, 0, -1), "");
  EXPECT_EQ(m.GetChoiceText(3, 0, 2), "");
  // Non-choice parameters answer with their value whatever the code.
  EXPECT_EQ(m.GetChoiceText(1, 3, 7), "100.0000");
}

TEST(KT7WValidation, FilterTimeConstant) {
  CParKT7W m;
  for (const char *text : {"0.4", "abc", "30.0001", "-1", "", "0x"}) {
    const Refusal r = Refused([&] { m.SetValueString(1, 0, text); });
    EXPECT_EQ(r.id, IDS_FILTER_RANGE_ERROR) << text;
    EXPECT_EQ(r.text, "Filter time constant should be a 0 or a from 0.5 to 30.") << text;
  }
  EXPECT_EQ(m.GetValue(1, 0), 0);
  m.SetValueString(1, 0, "0.5");
  EXPECT_EQ(m.GetValue(1, 0), 5000);
  m.SetValueString(1, 0, "30");
  EXPECT_EQ(m.GetValue(1, 0), 300000);
  m.SetValueString(1, 0, "0");
  EXPECT_EQ(m.GetValue(1, 0), 0);
}

TEST(KT7WValidation, NumberTextsAndTheirRounding) {
  CParKT7W m;
  m.SetValueString(1, 1, " \t12.5  ");
  EXPECT_EQ(m.GetValue(1, 1), 125000);
  m.SetValueString(1, 1, "0.00004");
  EXPECT_EQ(m.GetValue(1, 1), 0);
  m.SetValueString(1, 1, "-0.00004");
  EXPECT_EQ(m.GetValue(1, 1), 0);
  m.SetValueString(1, 1, "12.34567");
  EXPECT_EQ(m.GetValue(1, 1), 123456);
  m.SetValueString(1, 1, "-13.04");
  EXPECT_EQ(m.GetValue(1, 1), -130400);
  m.SetValueString(1, 1, "+.5");
  EXPECT_EQ(m.GetValue(1, 1), 5000);
  m.SetValueString(1, 1, "7.");
  EXPECT_EQ(m.GetValue(1, 1), 70000);

  for (const char *text : {"1e3", "1,5", "--1", "", "-", ".", "+-1", "1.2.3", "1 2", "nan", "inf"}) {
    const Refusal r = Refused([&] { m.SetValueString(1, 1, text); });
    EXPECT_EQ(r.id, IDS_RANGE_ERROR) << text;
    EXPECT_EQ(r.text, "Fine zero adjustment X should be a from -10000.0000 to 10000.0000. ") << text;
  }
  EXPECT_EQ(m.GetValue(1, 1), 70000);

  // Far beyond the int range: refused, not wrapped into range.
  EXPECT_EQ(Refused([&] { m.SetValueString(1, 1, "99999999999999999999"); }).id, IDS_RANGE_ERROR);
  EXPECT_EQ(Refused([&] { m.SetValueString(1, 1, "-99999999999999999999"); }).id, IDS_RANGE_ERROR);
  EXPECT_EQ(m.GetValue(1, 1), 70000);
}

TEST(KT7WValidation, ParseFlagOnlyDescribesTheTextBeingSet) {
  CParKT7W m;
  // A failed number test for another purpose does not spoil the next check.
  EXPECT_EQ(m.ParseScaled("abc"), 0);
  m.SetValue(1, 0, 0);
  EXPECT_EQ(m.GetValue(1, 0), 0);
  EXPECT_EQ(m.ParseScaled("abc"), 0);
  m.SetValue(1, 1, 0);
  m.SetValueString(1, 1, "1");
  EXPECT_EQ(m.GetValue(1, 1), 10000);
  // After a rejected text the next value passes on its own merits.
  EXPECT_EQ(Refused([&] { m.SetValueString(1, 1, "x"); }).id, IDS_RANGE_ERROR);
  m.SetValueString(1, 1, "0");
  EXPECT_EQ(m.GetValue(1, 1), 0);
}

TEST(KT7WValidation, InputRangeAgainstItsPartner) {
  CParKT7W m;
  const Refusal r = Refused([&] { m.SetValueString(2, 0, "48.0001"); });
  EXPECT_EQ(r.id, IDS_RANGE_ERROR);
  EXPECT_EQ(r.text, "0% input should be a from 0.0000 to 48.0000. ");
  m.SetValueString(2, 0, "48");
  EXPECT_EQ(m.GetValue(2, 0), 480000);
  EXPECT_EQ(Refused([&] { m.SetValueString(2, 1, "49.9999"); }).text,
            "100% input should be a from 50.0000 to 50.0000. ");

  // A type change resets both ends, so the ends of the new type always fit.
  m.SetValue(0, 0, 1);
  EXPECT_EQ(m.GetValueString(2, 0), "-1000.0000");
  EXPECT_EQ(m.GetValueString(2, 1), "1000.0000");
  EXPECT_EQ(m.GetInputUnit(), "mV");
  m.SetValueString(2, 1, "-990");
  EXPECT_EQ(m.GetValue(2, 1), -9900000);
}

TEST(KT7WValidation, NumberOfPointsAndTable) {
  CParKT7W m;
  const Refusal r = Refused([&] { m.SetValueString(3, 1, "1"); });
  EXPECT_EQ(r.text, "Number of points should be a from 2 to 101. ");
  EXPECT_EQ(Refused([&] { m.SetValue(3, 1, 102); }).id, IDS_RANGE_ERROR);
  m.SetValueString(3, 1, "101");
  EXPECT_EQ(m.GetValue(3, 1), 101);
  // The leading integer counts; no digits give 0.
  m.SetValueString(3, 1, " 12abc");
  EXPECT_EQ(m.GetValue(3, 1), 12);
  EXPECT_EQ(Refused([&] { m.SetValueString(3, 1, "abc"); }).id, IDS_RANGE_ERROR);

  EXPECT_EQ(Refused([&] { m.SetValueString(3, 203, "115.0001"); }).text,
            "Y[100] should be a from -15.0000 to 115.0000. ");
  m.SetValueString(3, 203, "-15");
  EXPECT_EQ(m.GetValue(3, 203), -150000);
}

TEST(KT7WValidation, OutputSide) {
  CParKT7W m;
  m.SetValue(5, 0, 1);
  EXPECT_EQ(m.GetValueString(4, 0), "-2.5000");
  EXPECT_EQ(m.GetValueString(4, 1), "2.5000");
  EXPECT_EQ(m.GetOutputUnit(), "V");
  EXPECT_EQ(Refused([&] { m.SetValueString(4, 0, "2.2501"); }).text,
            "0% output should be a from -2.5000 to 2.2500. ");
  EXPECT_EQ(Refused([&] { m.SetValueString(5, 1, "15.0001"); }).id, IDS_RANGE_ERROR);
  m.SetValueString(5, 1, "-15");
  EXPECT_EQ(Refused([&] { m.SetValueString(5, 2, "84.9999"); }).text,
            "Fine span adjustment should be a from 85.0000 to 115.0000. ");
  m.SetValueString(5, 2, "115");
  EXPECT_EQ(m.GetValue(5, 2), 1150000);
}

TEST(KT7WValidation, ChoiceCodesOutsideTheirListsAreRefused) {
  CParKT7W m;
  m.SetValue(0, 0, 2);
  m.SetValue(5, 0, 2);
  m.SetValueString(3, 0, "1");
  EXPECT_EQ(Refused([&] { m.SetValueString(0, 0, "3"); }).text, "Input type should be a from 0 to 2. ");
  EXPECT_EQ(Refused([&] { m.SetValueString(0, 0, "-1"); }).id, IDS_RANGE_ERROR);
  EXPECT_EQ(Refused([&] { m.SetValueString(5, 0, "7"); }).text, "Output type should be a from 0 to 2. ");
  EXPECT_EQ(Refused([&] { m.SetValueString(0, 0, "2147483648"); }).id, IDS_RANGE_ERROR);
  // Nothing moved, the range ends included.
  EXPECT_EQ(m.GetValue(0, 0), 2);
  EXPECT_EQ(m.GetValue(2, 0), -100000);
  EXPECT_EQ(m.GetValue(5, 0), 2);
  EXPECT_EQ(m.GetValue(4, 1), 100000);
}

TEST(KT7WValues, DeviceStringsAndFirmware) {
  CParKT7W m;
  m.SetValueString(6, 0, "KT7W");
  m.SetValueString(6, 1, "ignored");
  m.SetValueString(6, 3, "TAG 01");
  EXPECT_EQ(m.GetValueString(6, 0), "KT7W");
  EXPECT_EQ(m.GetValueString(6, 1), "");
  EXPECT_EQ(m.GetValueText(6, 3), "TAG 01");
  EXPECT_EQ(m.GetValue(6, 3), 0);
  // One line goes over the link per command: a line break would start another.
  m.SetValueString(6, 3, "A\rG99");
  EXPECT_EQ(m.GetValueString(6, 3), "A");
}

TEST(KT7WValues, CloneAndCopy) {
  CParKT7W m;
  m.SetServiceFlag(true);
  m.SetValue(0, 0, 2);
  m.SetValueString(3, 100, "33.3333");
  m.SetLoopTest(true);
  auto clone = m.Clone();
  EXPECT_TRUE(clone->GetServiceFlag());
  EXPECT_EQ(clone->GetValue(0, 0), 0);
  EXPECT_NE(dynamic_cast<CParKT7W *>(clone.get()), nullptr);
  EXPECT_EQ(dynamic_cast<CParKT5RS *>(clone.get()), nullptr);

  clone->CopyFrom(m);
  for (int block = 0; m.GetItemCount(block) > 0; ++block)
    for (int item = 0; item < m.GetItemCount(block); ++item)
      EXPECT_EQ(clone->GetValueString(block, item), m.GetValueString(block, item)) << block << "," << item;
  EXPECT_TRUE(static_cast<CParKT7W &>(*clone).GetLoopTest());
}

TEST(KT5RSValues, InputSide) {
  CParKT5RS m;
  EXPECT_EQ(m.GetModelName(), "KT5RS");
  EXPECT_EQ(m.GetValueString(2, 1), "100.0000");
  EXPECT_EQ(m.GetInputUnit(), "%");
  EXPECT_EQ(m.GetName(0, 1), "Burnout");
  EXPECT_EQ(m.GetEditKind(0, 1), EDIT_CHOICE);
  EXPECT_EQ(m.GetValueText(0, 1), "None");
  EXPECT_EQ(m.GetChoiceText(0, 0, 5), "5: 0 - 50Ohm");
  EXPECT_EQ(m.GetChoiceText(0, 0, 6), "");
  EXPECT_EQ(m.GetChoiceText(0, 1, 2), "Upscale");
  EXPECT_EQ(m.GetChoiceText(0, 1, 3), "");

  m.SetValue(0, 0, 3);
  EXPECT_EQ(Refused([&] { m.SetValueString(2, 1, "1.6665"); }).text,
            "100% input should be a from 1.6666 to 100.0000. ");
  m.SetValueString(2, 1, "1.6666");
  EXPECT_EQ(m.GetValue(2, 1), 16666);

  m.SetValue(0, 0, 0);
  m.SetValueString(2, 0, "20");
  m.SetValueString(2, 1, "40");
  m.SetValue(0, 0, 5);
  EXPECT_EQ(m.GetValue(2, 0), 0);
  EXPECT_EQ(m.GetValue(2, 1), 1000000);
  EXPECT_EQ(m.GetInputUnit(), "%");
}

TEST(KT5RSValues, BurnoutAndInputTypeCodes) {
  CParKT5RS m;
  m.SetValueString(0, 1, "2xyz");
  EXPECT_EQ(m.GetValue(0, 1), 2);
  EXPECT_EQ(m.GetValueString(0, 1), "2");
  EXPECT_EQ(Refused([&] { m.SetValueString(0, 0, "6"); }).text, "Input type should be a from 0 to 5. ");
  m.SetValueString(0, 0, "5");
  EXPECT_EQ(m.GetValue(0, 0), 5);
  EXPECT_EQ(m.GetValue(0, 1), 2);
  // Burnout of a text without digits is code 0.
  m.SetValueString(0, 1, "");
  EXPECT_EQ(m.GetValue(0, 1), 0);
}

TEST(KT5RSValues, CloneCopiesBurnoutAndServiceFlag) {
  CParKT5RS m;
  m.SetServiceFlag(true);
  m.SetValue(0, 1, 1);
  auto clone = m.Clone();
  ASSERT_NE(dynamic_cast<CParKT5RS *>(clone.get()), nullptr);
  EXPECT_TRUE(clone->GetServiceFlag());
  EXPECT_EQ(clone->GetValue(0, 1), 0);
  clone->CopyFrom(m);
  EXPECT_EQ(clone->GetValue(0, 1), 1);
}

TEST(UtilityLabels, ByBlockSlotAndServiceFlag) {
  CParKT7W kt7w;
  CParKT5RS kt5rs;
  EXPECT_EQ(kt7w.GetUtilityLabel(0, 0), "");
  EXPECT_EQ(kt7w.GetUtilityLabel(1, 3), "Trend Graph");
  EXPECT_EQ(kt7w.GetUtilityLabel(1, 4), "");
  EXPECT_EQ(kt7w.GetUtilityLabel(3, 0), "User Table");
  EXPECT_EQ(kt7w.GetUtilityLabel(3, 2), "");
  EXPECT_EQ(kt7w.GetUtilityLabel(5, 3), "Loop Test Output");
  EXPECT_EQ(kt7w.GetUtilityLabel(5, 4), "");
  EXPECT_EQ(kt7w.GetUtilityLabel(6, 0), "");
  EXPECT_EQ(kt7w.GetUtilityLabel(-1, 0), "");
  kt7w.SetServiceFlag(true);
  kt5rs.SetServiceFlag(true);
  EXPECT_EQ(kt7w.GetUtilityLabel(0, 0), "Calibrate Input");
  EXPECT_EQ(kt7w.GetUtilityLabel(5, 4), "Calibrate Output");
  EXPECT_EQ(kt5rs.GetUtilityLabel(0, 0), "");
  EXPECT_EQ(kt5rs.GetUtilityLabel(5, 4), "Calibrate Output");
  EXPECT_EQ(kt5rs.GetUtilityLabel(2, 2), "Reset Input Calibration");
}

TEST(NumberTexts, DecimalPointWhateverTheUserLocale) {
  const char *previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  CParKT5RS m;
  std::string shown;
  Refusal comma;
  try {
    m.SetValueString(1, 1, "12.5");
    shown = m.GetValueString(1, 1);
    comma = Refused([&] { m.SetValueString(1, 2, "1,5"); });
  } catch (...) {
    std::setlocale(LC_ALL, saved.c_str());
    throw;
  }
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(shown, "12.5000");
  EXPECT_EQ(m.GetValue(1, 1), 125000);
  EXPECT_EQ(comma.id, IDS_RANGE_ERROR);
  EXPECT_EQ(comma.text, "Fine zero adjustment Y should be a from -10000.0000 to 10000.0000. ");
}
