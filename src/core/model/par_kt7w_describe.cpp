// The description of one parameter that the window's list shows as the
// row's tooltip, in the language shown.
#include "core/model/par_kt7w.h"

#include "core/model/par_describe.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

namespace {

std::string TrimEnd(std::string text) {
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

} // namespace

std::string CParKT7W::GetDescription(int block, int item, bool online) const {
  const std::vector<ParameterDescription> found = DescribeParameters(*this, block, item);
  if (found.empty())
    return GetName(block, item);
  const ParameterDescription &d = found.front();
  std::string text = d.name;
  std::string defaultText = d.defaultValue;
  if (!d.choices.empty()) {
    text += "\n" + LoadString(IDS_TIP_CHOICES);
    for (const auto &[code, choice] : d.choices) {
      text += "\n  " + choice;
      if (code == d.defaultValue)
        defaultText = choice;
    }
  } else if (d.hasRange) {
    // The description's seconds are the command line's; the window names
    // them in its own language.
    const std::string unit = d.unit == "s" ? LoadString(IDS_UNIT_SECONDS) : d.unit;
    const int id = d.alsoAccepted.empty() ? IDS_TIP_RANGE : IDS_TIP_RANGE_OR_ZERO;
    text += "\n" + TrimEnd(FormatMessageId(id, {d.lowest, d.highest, unit}));
  }
  // The device information has no default: it is the instrument's own.
  if (block != 6)
    text += "\n" + FormatMessageId(IDS_TIP_DEFAULT, {defaultText});
  if (online)
    text += "\n" + FormatMessageId(IDS_TIP_INSTRUMENT, {GetValueText(block, item)});
  return text;
}
