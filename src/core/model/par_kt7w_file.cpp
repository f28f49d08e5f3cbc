// The configuration file: one "G%d" section per block and the model name
// under HEAD.
#include "core/model/par_kt7w.h"

#include "core/model/parameter_exception.h"
#include "core/platform/profile.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace {

// The model name is read with a buffer of 31 characters.
constexpr std::size_t kModelBufferSize = 31;

} // namespace

void CParKT7W::SaveFile(const std::string &path) {
  CProfileFile file;
  WriteEntries(file);
  file.WriteString("HEAD", "MODEL", GetModelName());
  CommitFile(file, path);
}

void CParKT7W::LoadFile(const std::string &path) {
  CProfileFile file;
  // A file that is there but cannot be read, or is far too large to be a
  // configuration file, is a failed load rather than a file of no model.
  if (!file.Load(path)) {
    const int reason = errno;
    if (::access(path.c_str(), F_OK) == 0)
      throw CParameterException(IDS_LOAD_FILE_FAILED,
                                LoadString(IDS_LOAD_FILE_FAILED) + "\n" + std::system_category().message(reason));
  }
  if (file.GetString("HEAD", "MODEL", "", kModelBufferSize) != GetModelName())
    throw CParameterException(IDS_FILE_MODEL_MISMATCH);
  LoadEntries(file, nullptr);
}

void CParKT7W::LoadEntries(const CProfileFile &file, std::vector<RefusedValue> *refused) {
  auto load = [&](int block, int item) {
    if (refused == nullptr) {
      LoadEntry(file, block, item);
      return;
    }
    try {
      LoadEntry(file, block, item);
    } catch (const CParameterException &e) {
      refused->push_back({block, item, e.GetErrorMessage()});
    }
  };
  // The types first: they reset both range pairs, so the range ends that
  // follow are checked against the right limits and partners.
  load(0, 0);
  load(5, 0);
  for (int block = 0; GetItemCount(block) > 0; ++block) {
    // The device information always comes from the device.
    if (block == 6)
      continue;
    const int count = GetItemCount(block);
    for (int item = 0; item < count; ++item) {
      if ((block == 0 && item == 0) || (block == 5 && item == 0))
        continue;
      load(block, item);
    }
  }
}

std::string CParKT7W::GetOutOfRangeReport() const {
  // The values go through the loader's own checks, in its order, so exactly
  // the rows that would make a saved file unloadable are named.
  CProfileFile file;
  WriteEntries(file);
  auto scratch = Clone();
  auto *copy = dynamic_cast<CParKT7W *>(scratch.get());
  if (copy == nullptr)
    return {};
  std::vector<RefusedValue> refused;
  copy->LoadEntries(file, &refused);
  if (refused.empty())
    return {};
  std::string report = LoadString(IDS_VALUES_OUT_OF_RANGE);
  for (const RefusedValue &row : refused)
    report += "\n" + FormatMessageId(IDS_VALUE_OUT_OF_RANGE_ROW, {row.message, GetValueString(row.block, row.item)});
  return report;
}
