#include "core/model/par_base.h"

#include "core/model/parameter_exception.h"
#include "core/platform/ascii_case.h"
#include "core/platform/number_text.h"
#include "core/platform/profile.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <system_error>

CParBase::~CParBase() = default;

void CParBase::CopyFrom(const CParBase &other) {
  m_serviceFlag = other.m_serviceFlag;
  m_modelName = other.m_modelName;
}

std::string CParBase::GetDescription(int block, int item, bool) const { return GetName(block, item); }

std::string CParBase::GetValueText(int, int) const { return {}; }

std::string CParBase::GetChoiceText(int, int, int) const { return {}; }

std::string CParBase::GetOutOfRangeReport() const { return {}; }

namespace {

// No list offers more entries than this.
constexpr int kMaxChoices = 1000;

// A code in digits with an optional sign; magnitudes beyond any list are
// kept beyond it rather than wrapped into it.
bool ParseCode(std::string_view text, long long &code) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return false;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    if (value < 1000000000000LL)
      value = value * 10 + (c - '0');
  }
  code = negative ? -value : value;
  return true;
}

} // namespace

int CParBase::CountChoices(int block, int item) const {
  int count = 0;
  while (count < kMaxChoices && !GetChoiceText(block, item, count).empty())
    ++count;
  return count;
}

void CParBase::CheckChoice(int block, int item, long long code) const {
  const int count = CountChoices(block, item);
  if (code >= 0 && code < count)
    return;
  throw CParameterException(IDS_RANGE_ERROR, FormatMessageId(IDS_RANGE_ERROR, {GetName(block, item), FormatInt(0),
                                                                               FormatInt(count - 1)}));
}

int CParBase::ParseChoice(int block, int item, std::string_view text) const {
  text = TrimBlanks(text);
  long long code = -1;
  if (!ParseCode(text, code)) {
    const int count = CountChoices(block, item);
    for (int i = 0; i < count; ++i) {
      if (EqualsIgnoringAsciiCase(GetChoiceText(block, item, i), text)) {
        code = i;
        break;
      }
    }
  }
  CheckChoice(block, item, code);
  return static_cast<int>(code);
}

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
