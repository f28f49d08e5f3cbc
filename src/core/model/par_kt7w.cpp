#include "core/model/par_kt7w.h"

#include "core/platform/number_text.h"
#include "core/model/par_edit.h"
#include "core/model/parameter_exception.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <algorithm>
#include <atomic>

namespace {

// Not const: the edit kind of "Tag No." follows the last transfer, for every
// object of the class.
ParDescriptor g_descriptor[] = {
    {0, 0, IDS_PAR_INPUT_TYPE, EDIT_CHOICE},
    {1, 0, IDS_PAR_FILTER, EDIT_TEXT},
    {1, 1, IDS_PAR_FINE_ZERO_X, EDIT_TEXT},
    {1, 2, IDS_PAR_FINE_ZERO_Y, EDIT_TEXT},
    {1, 3, IDS_PAR_FINE_SPAN, EDIT_TEXT},
    {2, 0, IDS_PAR_INPUT_0, EDIT_TEXT},
    {2, 1, IDS_PAR_INPUT_100, EDIT_TEXT},
    {3, 0, IDS_PAR_LINEARIZATION, EDIT_CHOICE},
    {3, 1, IDS_PAR_POINTS, EDIT_TEXT},
    {4, 0, IDS_PAR_OUTPUT_0, EDIT_TEXT},
    {4, 1, IDS_PAR_OUTPUT_100, EDIT_TEXT},
    {5, 0, IDS_PAR_OUTPUT_TYPE, EDIT_CHOICE},
    {5, 1, IDS_PAR_OUT_FINE_ZERO, EDIT_TEXT},
    {5, 2, IDS_PAR_OUT_FINE_SPAN, EDIT_TEXT},
    {6, 0, IDS_PAR_MODEL, EDIT_NONE},
    {6, 1, IDS_PAR_FIRMWARE, EDIT_NONE},
    {6, 2, IDS_PAR_SERIAL, EDIT_NONE},
    {6, 3, IDS_PAR_TAG, EDIT_NONE},
    {0, 0, 0, 0},
};

constexpr RangeRow kInputRanges[] = {
    {0, 500000, 20000, IDS_UNIT_MA},
    {-10000000, 10000000, 100000, IDS_UNIT_MV},
    {-100000, 100000, 1000, IDS_UNIT_V},
};

constexpr RangeRow kOutputRanges[] = {
    {0, 200000, 10000, IDS_UNIT_MA},
    {-25000, 25000, 2500, IDS_UNIT_V},
    {-100000, 100000, 1000, IDS_UNIT_V},
};

constexpr int kLinearizationChoices = 2;
constexpr int kMaxListEntries = 1000;

int TableDefault(int k) {
  switch (k) {
  case 0:
    return -150000;
  case 1:
    return 500000;
  case 2:
    return 1150000;
  default:
    return 0;
  }
}

// A line command carries one line: a device text keeps what comes before its
// first line break.
std::string FirstLine(const std::string &text) { return text.substr(0, text.find_first_of("\r\n")); }

std::string FormatIndexed(int id, int k) {
  std::string format = LoadString(id);
  const auto at = format.find("%d");
  if (at != std::string::npos)
    format.replace(at, 2, std::to_string(k));
  return format;
}

} // namespace

CParKT7W::CParKT7W() : CParKT7W("KT7W", g_descriptor, kInputRanges, 220) {}

CParKT7W::CParKT7W(std::string modelName, ParDescriptor *descriptor, std::span<const RangeRow> inputRanges,
                   int totalItems)
    : m_descriptor(descriptor), m_inputRanges(inputRanges), m_totalItems(totalItems) {
  SetModelName(std::move(modelName));
  for (int k = 0; k < kTablePairs; ++k) {
    m_tableX[k] = TableDefault(k);
    m_tableY[k] = TableDefault(k);
  }
  m_input0 = InputRange().lowest;
  m_input100 = InputRange().highest;
}

CParKT7W::~CParKT7W() = default;

std::span<const RangeRow> CParKT7W::OutputRanges() { return kOutputRanges; }

std::unique_ptr<CParBase> CParKT7W::Clone() const {
  auto copy = std::make_unique<CParKT7W>();
  copy->SetServiceFlag(GetServiceFlag());
  return copy;
}

void CParKT7W::CopyFrom(const CParBase &other) {
  CParBase::CopyFrom(other);
  const auto *source = dynamic_cast<const CParKT7W *>(&other);
  if (source == nullptr || source == this)
    return;
  m_descriptor = source->m_descriptor;
  m_inputRanges = source->m_inputRanges;
  m_inputType = source->m_inputType;
  m_filter = source->m_filter;
  m_fineZeroX = source->m_fineZeroX;
  m_fineZeroY = source->m_fineZeroY;
  m_fineSpan = source->m_fineSpan;
  m_input0 = source->m_input0;
  m_input100 = source->m_input100;
  m_linearization = source->m_linearization;
  m_points = source->m_points;
  m_tableX = source->m_tableX;
  m_tableY = source->m_tableY;
  m_output0 = source->m_output0;
  m_output100 = source->m_output100;
  m_outputType = source->m_outputType;
  m_outFineZero = source->m_outFineZero;
  m_outFineSpan = source->m_outFineSpan;
  m_model = source->m_model;
  m_firmware = source->m_firmware;
  m_serial = source->m_serial;
  m_tag = source->m_tag;
  m_loopTest = source->m_loopTest;
  m_fineZeroWritten = source->m_fineZeroWritten;
  m_transferCount = source->m_transferCount.load();
  m_totalItems = source->m_totalItems;
}

const RangeRow &CParKT7W::InputRange() const {
  // Every store checks the type against the table; the guard keeps a copy
  // between models with tables of different length inside the rows too.
  if (m_inputType < 0 || m_inputType >= static_cast<int>(m_inputRanges.size()))
    return m_inputRanges[0];
  return m_inputRanges[static_cast<std::size_t>(m_inputType)];
}

const RangeRow &CParKT7W::OutputRange() const {
  if (m_outputType < 0 || m_outputType >= static_cast<int>(std::size(kOutputRanges)))
    return kOutputRanges[0];
  return kOutputRanges[m_outputType];
}

const ParDescriptor *CParKT7W::FindDescriptor(int block, int item) const {
  for (const ParDescriptor *row = m_descriptor; row->nameId != 0; ++row) {
    if (row->block == block && row->item == item)
      return row;
  }
  return nullptr;
}

void CParKT7W::SetTagEditKind(int kind) {
  for (ParDescriptor *row = m_descriptor; row->nameId != 0; ++row) {
    if (row->nameId == IDS_PAR_TAG)
      std::atomic_ref<int>(row->editKind).store(kind);
  }
}

int CParKT7W::GetItemCount(int block) const {
  if (block < 0)
    return 0;
  if (block == 3)
    return kBlock3Items;
  int count = 0;
  for (const ParDescriptor *row = m_descriptor; row->nameId != 0; ++row) {
    if (row->block == block)
      count = std::max(count, row->item + 1);
  }
  return count;
}

std::string CParKT7W::GetName(int block, int item) const {
  if (block == 3 && item >= 2) {
    if (item >= kBlock3Items)
      return {};
    const int k = (item - 2) / 2;
    return FormatIndexed(item % 2 == 0 ? IDS_PAR_TABLE_X : IDS_PAR_TABLE_Y, k);
  }
  const ParDescriptor *row = FindDescriptor(block, item);
  return row != nullptr ? LoadString(row->nameId) : std::string();
}

int CParKT7W::GetEditKind(int block, int item) const {
  if (block == 3 && item >= 2)
    return item < kBlock3Items ? EDIT_TEXT : EDIT_NONE;
  if (GetServiceFlag() && block == 6 && (item == 0 || item == 2))
    return EDIT_TEXT;
  const ParDescriptor *row = FindDescriptor(block, item);
  return row != nullptr ? std::atomic_ref<int>(const_cast<int &>(row->editKind)).load() : EDIT_NONE;
}

bool CParKT7W::IsIntegerText(int block, int item) const {
  return (block == 0 && item == 0) || (block == 3 && (item == 0 || item == 1)) || (block == 5 && item == 0);
}

bool CParKT7W::IsDecimal(int block, int item) const {
  switch (block) {
  case 1:
    return item >= 0 && item <= 3;
  case 2:
  case 4:
    return item == 0 || item == 1;
  case 3:
    return item >= 2 && item < kBlock3Items;
  case 5:
    return item == 1 || item == 2;
  default:
    return false;
  }
}

std::string CParKT7W::GetValueText(int block, int item) const {
  const int value = GetValue(block, item);
  std::string text = GetChoiceText(block, item, value);
  // A code the model has no text for (kept as the instrument or a file had
  // it) shows as its digits, so two such codes never look the same.
  if (text.empty() && GetEditKind(block, item) == EDIT_CHOICE)
    return FormatInt(value);
  return text;
}

std::string CParKT7W::GetChoiceText(int block, int item, int code) const {
  if (block == 0 && item == 0)
    return code >= 0 && code < GetInputTypeCount() ? LoadString(IDS_KT7W_INPUT_TYPE_0 + code) : std::string();
  if (block == 3 && item == 0)
    return code >= 0 && code < kLinearizationChoices ? LoadString(IDS_LINEARIZATION_0 + code) : std::string();
  if (block == 5 && item == 0)
    return code >= 0 && code < static_cast<int>(std::size(kOutputRanges))
               ? LoadString(IDS_OUTPUT_TYPE_0 + code)
               : std::string();
  return GetValueString(block, item);
}

int CParKT7W::GetValue(int block, int item) const {
  switch (block) {
  case 0:
    return item == 0 ? m_inputType : 0;
  case 1:
    switch (item) {
    case 0:
      return m_filter;
    case 1:
      return m_fineZeroX;
    case 2:
      return m_fineZeroY;
    case 3:
      return m_fineSpan;
    }
    return 0;
  case 2:
    return item == 0 ? m_input0 : item == 1 ? m_input100 : 0;
  case 3:
    if (item == 0)
      return m_linearization;
    if (item == 1)
      return m_points;
    if (item >= 2 && item < kBlock3Items) {
      const int k = (item - 2) / 2;
      return item % 2 == 0 ? m_tableX[k] : m_tableY[k];
    }
    return 0;
  case 4:
    return item == 0 ? m_output0 : item == 1 ? m_output100 : 0;
  case 5:
    return item == 0 ? m_outputType : item == 1 ? m_outFineZero : item == 2 ? m_outFineSpan : 0;
  default:
    return 0;
  }
}

std::string CParKT7W::GetValueString(int block, int item) const {
  if (block == 6) {
    switch (item) {
    case 0:
      return m_model;
    case 1:
      return m_firmware;
    case 2:
      return m_serial;
    case 3:
      return m_tag;
    }
    return {};
  }
  if (IsIntegerText(block, item))
    return FormatInt(GetValue(block, item));
  if (IsDecimal(block, item))
    return FormatScaled(GetValue(block, item));
  return {};
}

int CParKT7W::ParseScaled(const std::string &text) {
  const std::string_view trimmed = TrimBlanks(text);

  bool number = !trimmed.empty();
  bool seenPoint = false;
  for (std::size_t i = 0; i < trimmed.size() && number; ++i) {
    const char c = trimmed[i];
    if (c >= '0' && c <= '9')
      continue;
    if ((c == '+' || c == '-') && i == 0)
      continue;
    if (c == '.' && !seenPoint) {
      seenPoint = true;
      continue;
    }
    number = false;
  }
  m_parseFlag = number;
  if (!number)
    return 0;

  std::string_view rest = trimmed;
  double x = 0;
  if (!ScanDouble(rest, x)) {
    m_parseFlag = false;
    return 0;
  }
  return ScaleToStored(x);
}

void CParKT7W::CheckRange(int block, int item, int value, int lowest, int highest) {
  if (lowest <= value && value <= highest && m_parseFlag)
    return;
  m_parseFlag = true;
  const bool integer = IsIntegerText(block, item);
  const std::string low = integer ? FormatInt(lowest) : FormatScaled(lowest);
  const std::string high = integer ? FormatInt(highest) : FormatScaled(highest);
  throw CParameterException(IDS_RANGE_ERROR,
                            FormatMessageId(IDS_RANGE_ERROR, {GetName(block, item), low, high}));
}

void CParKT7W::SetValue(int block, int item, int value) {
  m_parseFlag = true;
  StoreValue(block, item, value);
}

bool CParKT7W::GetLimits(int block, int item, ValueLimits &limits) const {
  limits = ValueLimits{};
  switch (block) {
  case 0:
    if (item != 0)
      return false;
    limits = {0, GetInputTypeCount() - 1};
    return true;
  case 1:
    if (item == 0)
      limits = {5000, 300000, true};
    else if (item >= 1 && item <= 3)
      limits = {-100000000, 100000000};
    else
      return false;
    return true;
  case 2:
    if (item == 0)
      limits = {InputRange().lowest, m_input100 - InputRange().minimumSpan};
    else if (item == 1)
      limits = {m_input0 + InputRange().minimumSpan, InputRange().highest};
    else
      return false;
    return true;
  case 3:
    // The linearization code indexes no table: kept as the instrument or the file has it.
    if (item == 1)
      limits = {2, kTablePairs};
    else if (item >= 2 && item < kBlock3Items)
      limits = {-150000, 1150000};
    else
      return false;
    return true;
  case 4:
    if (item == 0)
      limits = {OutputRange().lowest, m_output100 - OutputRange().minimumSpan};
    else if (item == 1)
      limits = {m_output0 + OutputRange().minimumSpan, OutputRange().highest};
    else
      return false;
    return true;
  case 5:
    if (item == 0)
      limits = {0, static_cast<int>(std::size(kOutputRanges)) - 1};
    else if (item == 1)
      limits = {-150000, 150000};
    else if (item == 2)
      limits = {850000, 1150000};
    else
      return false;
    return true;
  default:
    return false;
  }
}

void CParKT7W::CheckLimits(int block, int item, int value) {
  ValueLimits limits;
  if (!GetLimits(block, item, limits))
    return;
  if (limits.zeroAllowed && value == 0 && m_parseFlag)
    return;
  CheckRange(block, item, value, limits.lowest, limits.highest);
}

void CParKT7W::StoreValue(int block, int item, int value) {
  if (block == 1 && item == 0) {
    try {
      CheckLimits(block, item, value);
    } catch (const CParameterException &) {
      throw CParameterException(IDS_FILTER_RANGE_ERROR);
    }
  } else {
    CheckLimits(block, item, value);
  }
  switch (block) {
  case 0:
    if (item == 0) {
      m_inputType = value;
      m_input0 = InputRange().lowest;
      m_input100 = InputRange().highest;
    }
    return;
  case 1:
    switch (item) {
    case 0:
      m_filter = value;
      return;
    case 1:
      m_fineZeroX = value;
      return;
    case 2:
      m_fineZeroY = value;
      return;
    case 3:
      m_fineSpan = value;
      return;
    }
    return;
  case 2:
    if (item == 0)
      m_input0 = value;
    else if (item == 1)
      m_input100 = value;
    return;
  case 3:
    if (item == 0) {
      m_linearization = value;
    } else if (item == 1) {
      m_points = value;
    } else if (item >= 2 && item < kBlock3Items) {
      const int k = (item - 2) / 2;
      (item % 2 == 0 ? m_tableX : m_tableY)[k] = value;
    }
    return;
  case 4:
    if (item == 0)
      m_output0 = value;
    else if (item == 1)
      m_output100 = value;
    return;
  case 5:
    if (item == 0) {
      m_outputType = value;
      m_output0 = OutputRange().lowest;
      m_output100 = OutputRange().highest;
    } else if (item == 1) {
      m_outFineZero = value;
    } else if (item == 2) {
      m_outFineSpan = value;
    }
    return;
  default:
    return;
  }
}

void CParKT7W::SetValueString(int block, int item, const std::string &text) {
  if (block == 6) {
    switch (item) {
    case 0:
      m_model = FirstLine(text);
      break;
    case 2:
      m_serial = FirstLine(text);
      break;
    case 3:
      m_tag = FirstLine(text);
      break;
    default: // the firmware text is the device's own
      break;
    }
    return;
  }
  if (IsIntegerText(block, item)) {
    SetValue(block, item, LeadingInt(text));
    return;
  }
  if (!IsDecimal(block, item))
    return;
  const int value = ParseScaled(text);
  try {
    StoreValue(block, item, value);
  } catch (...) {
    m_parseFlag = true;
    throw;
  }
  m_parseFlag = true;
}

void CParKT7W::ApplyEdit(int block, int item, const CParEdit &edit) {
  switch (edit.GetAcceptedResult()) {
  case CParEdit::kChoiceAccepted:
    CheckChoice(block, item, edit.GetChosenIndex());
    SetValue(block, item, edit.GetChosenIndex());
    break;
  case CParEdit::kTextAccepted:
    SetValueString(block, item, edit.GetEnteredText());
    break;
  default:
    break;
  }
}

void CParKT7W::ShowEditor(int block, int item, CParEdit &edit) {
  switch (GetEditKind(block, item)) {
  case EDIT_TEXT: {
    edit.ListEditor().Hide();
    const EditRect &rect = edit.GetRect();
    CTextEditor &text = edit.TextEditor();
    text.Move(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    text.Show();
    text.SetText(GetValueString(block, item));
    text.SelectAll();
    text.SetFocus();
    break;
  }
  case EDIT_CHOICE: {
    edit.TextEditor().Hide();
    CListEditor &list = edit.ListEditor();
    list.ResetContent();
    for (int i = 0; i < kMaxListEntries; ++i) {
      const std::string choice = GetChoiceText(block, item, i);
      if (choice.empty())
        break;
      list.AddString(choice);
    }
    // The drop-down list is a little wider and higher than the cell.
    EditRect rect = edit.GetRect();
    rect.left -= 2;
    rect.top -= 4;
    rect.right += 2;
    edit.SetRect(rect);
    list.Move(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    list.Show();
    list.SetCurSel(GetValue(block, item));
    list.ShowDropDown();
    list.SetFocus();
    break;
  }
  default:
    break;
  }
}

std::string CParKT7W::GetInputUnit() const { return LoadString(InputRange().unitId); }

std::string CParKT7W::GetOutputUnit() const { return LoadString(OutputRange().unitId); }

int CParKT7W::GetProgress() const {
  return m_totalItems > 0 ? m_transferCount.load() * 100 / m_totalItems : 0;
}

void CParKT7W::ResetProgress() { m_transferCount = 0; }
