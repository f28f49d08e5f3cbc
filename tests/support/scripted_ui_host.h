// A UI host for tests: records every message box and value prompt, and
// answers from a script (Yes/No for questions, texts for prompts).
#pragma once

#include "core/resources/ui_host.h"
#include "core/tools/loop_test.h"
#include "core/tools/table_file.h"

#include <deque>
#include <optional>
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

  // Answers for the next Yes/No (and Yes/No/Cancel) questions, in order;
  // IDNO when the script is empty.
  void AnswerQuestions(std::initializer_list<int> answers);
  // Texts for the next value prompts; an empty optional-like marker cancels.
  void AnswerPrompts(std::initializer_list<std::string> texts);
  void CancelNextPrompt();

  int MessageBox(const std::string &text, unsigned style) override;
  bool AskValue(int promptId, std::string &text) override;

  // The tool dialogs. The calibration procedures close at once; the loop
  // test answers choice; the table dialog answers OK with the given table,
  // Cancel without one.
  void AnswerLoop(LoopChoice choice);
  void AnswerTable(std::optional<CTableFile> table);

  void RunInputCalibration(CCommInterface &comm) override;
  void RunOutputCalibration(CCommInterface &comm) override;
  LoopChoice RunLoopDialog(const LoopLimits &limits) override;
  int RunTableDialog(CTableFile &table) override;

  // What the tool dialogs were opened with, in order.
  int InputCalibrations() const;
  int OutputCalibrations() const;
  std::vector<LoopLimits> LoopLimitsShown() const;
  std::vector<CTableFile> TablesShown() const;

  std::vector<Shown> Messages() const;
  std::vector<std::string> MessageTexts() const; // the texts of Messages(), in order
  std::vector<int> Prompts() const;
  void Clear();

private:
  mutable std::mutex m_mutex;
  std::deque<int> m_answers;
  std::deque<std::pair<bool, std::string>> m_prompts;
  std::vector<Shown> m_shown;
  std::vector<int> m_promptIds;
  LoopChoice m_loop;
  std::optional<CTableFile> m_table;
  int m_inputCalibrations = 0;
  int m_outputCalibrations = 0;
  std::vector<LoopLimits> m_loopLimits;
  std::vector<CTableFile> m_tables;
};
