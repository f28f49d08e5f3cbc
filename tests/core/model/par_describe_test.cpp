// The description a script reads before it sends a value must be what the
// model takes: every printed range is walked against the model's own checks.
#include "core/model/par_describe.h"
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"
#include "core/platform/number_text.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// The text one step (the smallest stored unit) beyond a printed limit.
std::string Beyond(const ParameterDescription &d, const std::string &limit, int direction) {
  if (d.kind == "integer")
    return std::to_string(std::stoll(limit) + direction);
  const long long stored = std::llround(std::stod(limit) * 10000);
  return FormatScaled(stored + direction);
}

bool Takes(const CParKT7W &state, const ParameterDescription &d, const std::string &text) {
  auto model = state.Clone();
  model->CopyFrom(state);
  try {
    if (d.kind == "choice")
      model->SetValue(d.block, d.item, model->ParseChoice(d.block, d.item, text));
    else
      model->SetValueString(d.block, d.item, text);
  } catch (const CParameterException &) {
    return false;
  }
  return true;
}

// Every described parameter of the model in its present state.
void WalkAll(const CParKT7W &state) {
  const auto list = DescribeParameters(state);
  int total = 0;
  for (int block = 0; state.GetItemCount(block) > 0; ++block)
    total += state.GetItemCount(block);
  ASSERT_EQ(static_cast<int>(list.size()), total);
  for (const auto &d : list) {
    SCOPED_TRACE(std::to_string(d.block) + "." + std::to_string(d.item) + " " + d.name);
    if (d.kind == "number" || d.kind == "integer") {
      ASSERT_TRUE(d.hasRange);
      EXPECT_TRUE(Takes(state, d, d.lowest));
      EXPECT_TRUE(Takes(state, d, d.highest));
      EXPECT_FALSE(Takes(state, d, Beyond(d, d.highest, +1)));
      const std::string below = Beyond(d, d.lowest, -1);
      const bool belowAllowed = std::find(d.alsoAccepted.begin(), d.alsoAccepted.end(), below) != d.alsoAccepted.end();
      EXPECT_EQ(Takes(state, d, below), belowAllowed) << below;
      for (const auto &also : d.alsoAccepted)
        EXPECT_TRUE(Takes(state, d, also));
    } else if (d.kind == "choice") {
      ASSERT_FALSE(d.choices.empty());
      for (const auto &[code, text] : d.choices) {
        EXPECT_TRUE(Takes(state, d, code));
        EXPECT_TRUE(Takes(state, d, text));
      }
      EXPECT_FALSE(Takes(state, d, std::to_string(d.choices.size())));
      EXPECT_FALSE(Takes(state, d, "-1"));
    } else {
      EXPECT_TRUE(d.kind == "read-only" || d.kind == "text");
      EXPECT_FALSE(d.hasRange);
    }
  }
}

} // namespace

TEST(ParDescribe, EveryPrintedRangeIsTheOneTheModelEnforcesForEveryTypePair) {
  for (int input = 0; input < CParKT5RS().GetInputTypeCount(); ++input)
    for (int output = 0; output < static_cast<int>(CParKT7W::OutputRanges().size()); ++output) {
      SCOPED_TRACE("input type " + std::to_string(input) + ", output type " + std::to_string(output));
      CParKT5RS model;
      model.SetValue(0, 0, input);
      model.SetValue(5, 0, output);
      WalkAll(model);
    }
  WalkAll(CParKT7W());
}

TEST(ParDescribe, RangesFollowThePartnerValueAndDefaultsAreThoseOfANewSet) {
  CParKT5RS model;
  model.SetValueString(2, 1, "60");
  const auto edited = DescribeParameters(model, 2, 0);
  ASSERT_EQ(edited.size(), 1u);
  EXPECT_EQ(edited[0].highest, "50.0000");
  EXPECT_EQ(edited[0].defaultValue, CParKT5RS().GetValueString(2, 0));
  EXPECT_EQ(DescribeParameters(model, 2, 1)[0].defaultValue, CParKT5RS().GetValueString(2, 1));
}
