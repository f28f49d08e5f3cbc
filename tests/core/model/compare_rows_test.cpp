// Rows of the comparison between the edited set and the device's set.
#include "core/model/compare_rows.h"
#include "core/model/par_kt5rs.h"

#include <gtest/gtest.h>

TEST(CompareRows, EqualSetsMatchEverywhere) {
  CParKT5RS edited, device;
  const CompareRows result = BuildCompareRows(edited, device);
  EXPECT_EQ(result.rows.size(), 217u);
  EXPECT_EQ(result.differing, 0);
  EXPECT_EQ(result.firstDiffering, -1);
  EXPECT_EQ(result.summary, "All parameters matching.");
  EXPECT_EQ(result.rows[0].blockName, "Input");
  EXPECT_EQ(result.rows[0].parameterName, "Input type");
  EXPECT_EQ(result.rows[0].editedText, "0: 0 - 10kOhm");
  EXPECT_EQ(result.rows[1].parameterName, "Burnout");
  EXPECT_EQ(result.rows[216].blockName, "Output");
  EXPECT_EQ(result.rows[216].parameterName, "Fine span adjustment");
  int perBlock[6] = {};
  for (const CompareRow &row : result.rows)
    ++perBlock[row.block];
  EXPECT_EQ(std::vector<int>(perBlock, perBlock + 6), (std::vector<int>{2, 4, 2, 204, 2, 3}));
}

TEST(CompareRows, OneTenThousandthMakesOneDifference) {
  CParKT5RS edited, device;
  device.SetValue(1, 1, 1);
  const CompareRows result = BuildCompareRows(edited, device);
  EXPECT_EQ(result.differing, 1);
  ASSERT_EQ(result.firstDiffering, 3);
  const CompareRow &row = result.rows[3];
  EXPECT_TRUE(row.differs);
  EXPECT_EQ(row.blockName, "Input Value");
  EXPECT_EQ(row.parameterName, "Fine zero adjustment X");
  EXPECT_EQ(row.editedText, "0.0000");
  EXPECT_EQ(row.deviceText, "0.0001");
  EXPECT_EQ(result.summary, "1 parameter(s) not matching.");
}

TEST(CompareRows, InputTypeAndItsRangeEndsCountSeparately) {
  CParKT5RS edited, device;
  device.SetValue(0, 0, 2);
  device.SetValueString(2, 1, "40");
  device.SetValueString(3, 203, "1"); // beyond the active points, still compared
  const CompareRows result = BuildCompareRows(edited, device);
  EXPECT_EQ(result.differing, 3);
  EXPECT_EQ(result.firstDiffering, 0);
  EXPECT_EQ(result.rows[0].deviceText, "2: 0 - 500Ohm");
  EXPECT_EQ(result.summary, "3 parameter(s) not matching.");
}

TEST(CompareRows, DeviceInformationNeverCounts) {
  CParKT5RS edited, device;
  device.SetValueString(6, 0, "KT5RS");
  device.SetValueString(6, 2, "X1");
  device.SetValueString(6, 3, "T");
  const CompareRows result = BuildCompareRows(edited, device);
  EXPECT_EQ(result.differing, 0);
  for (const CompareRow &row : result.rows)
    EXPECT_NE(row.block, 6);
}
