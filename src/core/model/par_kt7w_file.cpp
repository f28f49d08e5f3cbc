// The configuration file: one "G%d" section per block and the model name
// under HEAD.
#include "par_kt7w.h"

#include "parameter_exception.h"
#include "platform/profile.h"
#include "resources/string_ids.h"

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
  file.Load(path);
  if (file.GetString("HEAD", "MODEL", "", kModelBufferSize) != GetModelName())
    throw CParameterException(IDS_FILE_MODEL_MISMATCH);

  // The types first: they reset both range pairs, so the range ends that
  // follow are checked against the right limits and partners.
  LoadEntry(file, 0, 0);
  LoadEntry(file, 5, 0);
  for (int block = 0; GetItemCount(block) > 0; ++block) {
    // The device information always comes from the device.
    if (block == 6)
      continue;
    const int count = GetItemCount(block);
    for (int item = 0; item < count; ++item) {
      if ((block == 0 && item == 0) || (block == 5 && item == 0))
        continue;
      LoadEntry(file, block, item);
    }
  }
}
