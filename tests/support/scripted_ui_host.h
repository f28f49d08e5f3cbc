// A UI host for tests: records every message box and value prompt, and
// answers from a script (Yes/No for questions, texts for prompts).
#pragma once

#include "resources/ui_host.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

class CScriptedUIHost : public CUIHost {
public:
  struct Shown {
    std::string text;
    unsigned style;
  };

  CScriptedUIHost();  // installs itself as the UI host
  ~CScriptedUIHost() override; // and removes itself

  // Answers for the next Yes/No questions, in order; IDNO when the script is empty.
  void AnswerQuestions(std::initializer_list<int> answers);
  // Texts for the next value prompts; an empty optional-like marker cancels.
  void AnswerPrompts(std::initializer_list<std::string> texts);
  void CancelNextPrompt();

  int MessageBox(const std::string &text, unsigned style) override;
  bool AskValue(int promptId, std::string &text) override;

  std::vector<Shown> Messages() const;
  std::vector<int> Prompts() const;
  void Clear();

private:
  mutable std::mutex m_mutex;
  std::deque<int> m_answers;
  std::deque<std::pair<bool, std::string>> m_prompts;
  std::vector<Shown> m_shown;
  std::vector<int> m_promptIds;
};
