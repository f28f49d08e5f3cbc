#include "scripted_ui_host.h"

CScriptedUIHost::CScriptedUIHost() { SetUIHost(this); }

CScriptedUIHost::~CScriptedUIHost() { SetUIHost(nullptr); }

void CScriptedUIHost::AnswerQuestions(std::initializer_list<int> answers) {
  std::lock_guard lock(m_mutex);
  m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void CScriptedUIHost::AnswerPrompts(std::initializer_list<std::string> texts) {
  std::lock_guard lock(m_mutex);
  for (const auto &t : texts)
    m_prompts.emplace_back(true, t);
}

void CScriptedUIHost::CancelNextPrompt() {
  std::lock_guard lock(m_mutex);
  m_prompts.emplace_back(false, std::string());
}

int CScriptedUIHost::MessageBox(const std::string &text, unsigned style) {
  std::lock_guard lock(m_mutex);
  m_shown.push_back({text, style});
  const unsigned type = style & 0x0F;
  if (type != MB_YESNO && type != MB_YESNOCANCEL && type != MB_SAVEDISCARDCANCEL)
    return IDOK;
  if (m_answers.empty())
    return IDNO;
  int a = m_answers.front();
  m_answers.pop_front();
  return a;
}

bool CScriptedUIHost::AskValue(int promptId, std::string &text) {
  std::lock_guard lock(m_mutex);
  m_promptIds.push_back(promptId);
  if (m_prompts.empty())
    return false;
  auto [ok, value] = m_prompts.front();
  m_prompts.pop_front();
  if (ok)
    text = value;
  return ok;
}

std::vector<CScriptedUIHost::Shown> CScriptedUIHost::Messages() const {
  std::lock_guard lock(m_mutex);
  return m_shown;
}

std::vector<std::string> CScriptedUIHost::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Shown &m : Messages())
    texts.push_back(m.text);
  return texts;
}

std::vector<int> CScriptedUIHost::Prompts() const {
  std::lock_guard lock(m_mutex);
  return m_promptIds;
}

void CScriptedUIHost::Clear() {
  std::lock_guard lock(m_mutex);
  m_shown.clear();
  m_promptIds.clear();
}

void CScriptedUIHost::AnswerLoop(LoopChoice choice) {
  std::lock_guard lock(m_mutex);
  m_loop = choice;
}

void CScriptedUIHost::AnswerTable(std::optional<CTableFile> table) {
  std::lock_guard lock(m_mutex);
  m_table = std::move(table);
}

void CScriptedUIHost::RunInputCalibration(CCommInterface &) {
  std::lock_guard lock(m_mutex);
  ++m_inputCalibrations;
}

void CScriptedUIHost::RunOutputCalibration(CCommInterface &) {
  std::lock_guard lock(m_mutex);
  ++m_outputCalibrations;
}

LoopChoice CScriptedUIHost::RunLoopDialog(const LoopLimits &limits) {
  std::lock_guard lock(m_mutex);
  m_loopLimits.push_back(limits);
  return m_loop;
}

int CScriptedUIHost::RunTableDialog(CTableFile &table) {
  std::lock_guard lock(m_mutex);
  m_tables.push_back(table);
  if (!m_table)
    return IDCANCEL;
  table = *m_table;
  return IDOK;
}

int CScriptedUIHost::InputCalibrations() const {
  std::lock_guard lock(m_mutex);
  return m_inputCalibrations;
}

int CScriptedUIHost::OutputCalibrations() const {
  std::lock_guard lock(m_mutex);
  return m_outputCalibrations;
}

std::vector<LoopLimits> CScriptedUIHost::LoopLimitsShown() const {
  std::lock_guard lock(m_mutex);
  return m_loopLimits;
}

std::vector<CTableFile> CScriptedUIHost::TablesShown() const {
  std::lock_guard lock(m_mutex);
  return m_tables;
}
