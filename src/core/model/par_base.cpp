#include "par_base.h"

#include "parameter_exception.h"
#include "platform/profile.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

#include <system_error>

CParBase::~CParBase() = default;

void CParBase::CopyFrom(const CParBase &other) {
  m_serviceFlag = other.m_serviceFlag;
  m_modelName = other.m_modelName;
}

std::string CParBase::GetValueText(int, int) const { return {}; }

std::string CParBase::GetChoiceText(int, int, int) const { return {}; }

namespace {

std::string SectionName(int block) { return "G" + std::to_string(block); }
std::string KeyName(int item) { return "P" + std::to_string(item); }

// The buffer the values are read with holds 511 characters with its end mark.
constexpr std::size_t kValueBufferSize = 511;

} // namespace

void CParBase::WriteEntries(CProfileFile &file) const {
  for (int block = 0; GetItemCount(block) > 0; ++block) {
    const int count = GetItemCount(block);
    for (int item = 0; item < count; ++item)
      file.WriteString(SectionName(block), KeyName(item), GetValueString(block, item));
  }
}

void CParBase::LoadEntry(const CProfileFile &file, int block, int item) {
  SetValueString(block, item, file.GetString(SectionName(block), KeyName(item), "", kValueBufferSize));
}

void CParBase::ReadEntries(const CProfileFile &file) {
  for (int block = 0; GetItemCount(block) > 0; ++block) {
    const int count = GetItemCount(block);
    for (int item = 0; item < count; ++item)
      LoadEntry(file, block, item);
  }
}

void CParBase::CommitFile(const CProfileFile &file, const std::string &path) {
  try {
    file.Save(path);
  } catch (const std::system_error &error) {
    throw CParameterException(IDS_SAVE_FILE_FAILED,
                              LoadString(IDS_SAVE_FILE_FAILED) + "\n" + error.code().message());
  }
}

void CParBase::SaveFile(const std::string &path) {
  CProfileFile file;
  WriteEntries(file);
  CommitFile(file, path);
}

void CParBase::LoadFile(const std::string &path) {
  CProfileFile file;
  file.Load(path);
  ReadEntries(file);
}
