#include "core/model/par_describe.h"

#include "core/model/par_kt7w.h"
#include "core/platform/number_text.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

namespace {

std::string UnitOf(const CParKT7W &model, int block, int item) {
  switch (block) {
  case 1:
    if (item == 0)
      return "s";
    return item == 3 ? LoadString(IDS_UNIT_PERCENT) : model.GetInputUnit();
  case 2:
    return model.GetInputUnit();
  case 3:
    return item >= 2 ? LoadString(IDS_UNIT_PERCENT) : std::string();
  case 4:
    return model.GetOutputUnit();
  case 5:
    return item >= 1 ? LoadString(IDS_UNIT_PERCENT) : std::string();
  default:
    return {};
  }
}

ParameterDescription Describe(const CParKT7W &model, const CParKT7W &fresh, int block, int item) {
  ParameterDescription d;
  d.block = block;
  d.item = item;
  d.blockName = LoadString(IDS_BLOCK_0 + block);
  d.name = model.GetName(block, item);
  d.unit = UnitOf(model, block, item);
  d.defaultValue = fresh.GetValueString(block, item);
  const int edit = model.GetEditKind(block, item);
  if (edit == EDIT_CHOICE) {
    d.kind = "choice";
    const int count = model.CountChoices(block, item);
    for (int code = 0; code < count; ++code)
      d.choices.emplace_back(FormatInt(code), model.GetChoiceText(block, item, code));
    return d;
  }
  if (edit == EDIT_NONE) {
    d.kind = "read-only";
    return d;
  }
  ValueLimits limits;
  if (!model.GetLimits(block, item, limits)) {
    d.kind = "text";
    return d;
  }
  const bool integer = model.IsIntegerParameter(block, item);
  d.kind = integer ? "integer" : "number";
  auto text = [&](int value) { return integer ? FormatInt(value) : FormatScaled(value); };
  d.hasRange = true;
  d.lowest = text(limits.lowest);
  d.highest = text(limits.highest);
  if (limits.zeroAllowed)
    d.alsoAccepted.push_back(text(0));
  return d;
}

} // namespace

std::vector<ParameterDescription> DescribeParameters(const CParKT7W &model, int block, int item) {
  const auto fresh = model.Clone();
  const auto *freshModel = dynamic_cast<const CParKT7W *>(fresh.get());
  std::vector<ParameterDescription> list;
  for (int b = 0; model.GetItemCount(b) > 0; ++b) {
    if (block >= 0 && b != block)
      continue;
    for (int i = 0; i < model.GetItemCount(b); ++i)
      if (item < 0 || i == item)
        list.push_back(Describe(model, freshModel != nullptr ? *freshModel : model, b, i));
  }
  return list;
}
