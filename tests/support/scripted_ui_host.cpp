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
  if ((style & MB_YESNO) == 0)
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

std::vector<int> CScriptedUIHost::Prompts() const {
  std::lock_guard lock(m_mutex);
  return m_promptIds;
}

void CScriptedUIHost::Clear() {
  std::lock_guard lock(m_mutex);
  m_shown.clear();
  m_promptIds.clear();
}
