#include "core/model/compare_rows.h"

#include "core/model/par_base.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

namespace {

// Block 6 holds the device information, which always differs between units.
constexpr int kComparedBlocks = 6;

} // namespace

CompareRows BuildCompareRows(const CParBase &edited, const CParBase &device) {
  CompareRows result;
  for (int block = 0; block < kComparedBlocks; ++block) {
    const std::string blockName = LoadString(IDS_BLOCK_0 + block);
    const int count = edited.GetItemCount(block);
    for (int item = 0; item < count; ++item) {
      CompareRow row;
      row.block = block;
      row.item = item;
      row.blockName = blockName;
      row.parameterName = edited.GetName(block, item);
      row.editedText = edited.GetValueText(block, item);
      row.deviceText = device.GetValueText(block, item);
      row.differs = row.editedText != row.deviceText;
      if (row.differs) {
        if (result.firstDiffering < 0)
          result.firstDiffering = static_cast<int>(result.rows.size());
        ++result.differing;
      }
      result.rows.push_back(std::move(row));
    }
  }
  result.summary = result.differing == 0
                       ? LoadString(IDS_ALL_MATCHING)
                       : FormatMessageId(IDS_N_NOT_MATCHING, {static_cast<long long>(result.differing)});
  return result;
}
