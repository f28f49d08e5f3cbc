#include "core/model/par_kt5rs.h"

#include "core/link/comm_interface.h"
#include "core/platform/number_text.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

namespace {

ParDescriptor g_descriptor[] = {
    {0, 0, IDS_PAR_INPUT_TYPE, EDIT_CHOICE},
    {0, 1, IDS_PAR_BURNOUT, EDIT_CHOICE},
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

// Percent of the selected resistance range: 0 - 10 kOhm, 1.5 kOhm, 500,
// 300, 150 and 50 Ohm.
constexpr RangeRow kInputRanges[] = {
    {0, 1000000, 100000, IDS_UNIT_PERCENT}, {0, 1000000, 100000, IDS_UNIT_PERCENT},
    {0, 1000000, 10000, IDS_UNIT_PERCENT},  {0, 1000000, 16666, IDS_UNIT_PERCENT},
    {0, 1000000, 33333, IDS_UNIT_PERCENT},  {0, 1000000, 50000, IDS_UNIT_PERCENT},
};

constexpr int kBurnoutChoices = 3;

bool IsBurnout(int block, int item) { return block == 0 && item == 1; }

} // namespace

CParKT5RS::CParKT5RS() : CParKT7W("KT5RS", g_descriptor, kInputRanges, 221) {}

CParKT5RS::~CParKT5RS() = default;

std::unique_ptr<CParBase> CParKT5RS::Clone() const {
  auto copy = std::make_unique<CParKT5RS>();
  copy->SetServiceFlag(GetServiceFlag());
  return copy;
}

void CParKT5RS::CopyFrom(const CParBase &other) {
  CParKT7W::CopyFrom(other);
  if (const auto *source = dynamic_cast<const CParKT5RS *>(&other))
    m_burnout = source->m_burnout;
}

bool CParKT5RS::IsIntegerText(int block, int item) const {
  return IsBurnout(block, item) || CParKT7W::IsIntegerText(block, item);
}

std::string CParKT5RS::GetChoiceText(int block, int item, int code) const {
  if (block == 0 && item == 0)
    return code >= 0 && code < GetInputTypeCount() ? LoadString(IDS_KT5RS_INPUT_TYPE_0 + code)
                                                   : std::string();
  if (IsBurnout(block, item))
    return code >= 0 && code < kBurnoutChoices ? LoadString(IDS_BURNOUT_0 + code) : std::string();
  return CParKT7W::GetChoiceText(block, item, code);
}

int CParKT5RS::GetValue(int block, int item) const {
  return IsBurnout(block, item) ? m_burnout : CParKT7W::GetValue(block, item);
}

std::string CParKT5RS::GetValueString(int block, int item) const {
  return IsBurnout(block, item) ? FormatInt(m_burnout) : CParKT7W::GetValueString(block, item);
}

void CParKT5RS::SetValue(int block, int item, int value) {
  if (!IsBurnout(block, item)) {
    CParKT7W::SetValue(block, item, value);
    return;
  }
  // The code indexes no table: kept as the instrument or the file has it;
  // user edits are held to the listed choices before they get here.
  m_burnout = value;
}

void CParKT5RS::SetValueString(int block, int item, const std::string &text) {
  if (IsBurnout(block, item))
    SetValue(block, item, LeadingInt(text));
  else
    CParKT7W::SetValueString(block, item, text);
}

std::string CParKT5RS::GetInputUnit() const { return LoadString(IDS_UNIT_PERCENT); }

std::string CParKT5RS::GetUtilityLabel(int block, int slot) const {
  // This model has no input calibration procedure.
  if (block == 0 && slot == 0)
    return {};
  return CParKT7W::GetUtilityLabel(block, slot);
}

void CParKT5RS::WriteModelExtras(CCommInterface &comm, int block, int item) {
  if (block == -1 || (block == 0 && (item == -1 || item == 1))) {
    comm.WriteItem(24, FormatInt(m_burnout));
    AddProgress(1);
  }
}

void CParKT5RS::ReadModelExtras(CCommInterface &comm, int block, int item) {
  if (block == -1 || (block == 0 && (item == -1 || item == 1))) {
    SetValueString(0, 1, comm.ReadItem(24));
    AddProgress(1);
  }
}
