// The description of one parameter that the list shows as its tooltip.
#include "core/model/par_kt7w.h"

#include "core/platform/number_text.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <climits>

namespace {

// A choice list longer than this is not the list of an item of this model.
constexpr int kMaxChoicesListed = 1000;

std::string TrimEnd(std::string text) {
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

} // namespace

bool CParKT7W::FindRange(int block, int item, RangeProbe &range) const {
  std::unique_ptr<CParBase> copy = Clone();
  auto *probe = dynamic_cast<CParKT7W *>(copy.get());
  if (!probe)
    return false;
  probe->CopyFrom(*this);
  probe->m_rangeProbe = true;
  probe->m_parseFlag = true;
  try {
    // A value no item takes: every check runs before anything is stored.
    probe->StoreValue(block, item, INT_MIN);
  } catch (const RangeProbe &found) {
    range = found;
    return true;
  } catch (...) {
  }
  return false;
}

std::string CParKT7W::UnitOf(int block, int item) const {
  switch (block) {
  case 1:
    if (item == 0)
      return LoadString(IDS_UNIT_SECONDS);
    return item == 3 ? LoadString(IDS_UNIT_PERCENT) : GetInputUnit();
  case 2:
    return GetInputUnit();
  case 3:
    return item >= 2 ? LoadString(IDS_UNIT_PERCENT) : std::string();
  case 4:
    return GetOutputUnit();
  case 5:
    return item >= 1 ? LoadString(IDS_UNIT_PERCENT) : std::string();
  default:
    return {};
  }
}

std::string CParKT7W::GetDescription(int block, int item, bool online) const {
  std::string text = GetName(block, item);
  const int kind = GetEditKind(block, item);
  if (kind == EDIT_CHOICE) {
    text += "\n" + LoadString(IDS_TIP_CHOICES);
    for (int code = 0; code < kMaxChoicesListed; ++code) {
      const std::string choice = GetChoiceText(block, item, code);
      if (choice.empty())
        break;
      text += "\n  " + choice;
    }
  } else if (RangeProbe range{}; kind == EDIT_TEXT && FindRange(block, item, range)) {
    const bool integer = IsIntegerText(block, item);
    const std::string low = integer ? FormatInt(range.lowest) : FormatScaled(range.lowest);
    const std::string high = integer ? FormatInt(range.highest) : FormatScaled(range.highest);
    // The filter takes 0 (off) besides its range.
    const int id = block == 1 && item == 0 ? IDS_TIP_RANGE_OR_ZERO : IDS_TIP_RANGE;
    text += "\n" + TrimEnd(FormatMessageId(id, {low, high, UnitOf(block, item)}));
  }
  // The device information has no default: it is the instrument's own.
  if (block != 6) {
    const std::unique_ptr<CParBase> fresh = Clone();
    text += "\n" + FormatMessageId(IDS_TIP_DEFAULT, {fresh->GetValueText(block, item)});
  }
  if (online)
    text += "\n" + FormatMessageId(IDS_TIP_INSTRUMENT, {GetValueText(block, item)});
  return text;
}
