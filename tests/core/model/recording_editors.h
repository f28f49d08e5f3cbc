// Editors that record every call the model and the edit object make, so the
// editing logic runs without any window system.
#pragma once

#include "core/model/list_editor.h"
#include "core/model/text_editor.h"

#include <memory>
#include <string>
#include <vector>

struct EditorLog {
  std::vector<std::string> calls;
};

class RecordingTextEditor : public CTextEditor {
public:
  explicit RecordingTextEditor(std::shared_ptr<EditorLog> log) : m_log(std::move(log)) {}
  void Show() override { Log("text.Show"); }
  void Hide() override { Log("text.Hide"); }
  void Move(int x, int y, int w, int h) override {
    Log("text.Move " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
        std::to_string(h));
  }
  void SetText(const std::string &text) override {
    m_text = text;
    Log("text.SetText " + text);
  }
  std::string GetText() const override { return m_text; }
  void SelectAll() override { Log("text.SelectAll"); }
  void SetFocus() override { Log("text.SetFocus"); }
  bool IsAccepted() const override { return m_accepted; }

  // What the window does when an edit ends: Enter accepts, losing the focus cancels.
  void EndEdit(const std::string &typed, bool accepted) {
    m_text = typed;
    m_accepted = accepted;
    Notify();
  }

private:
  void Log(std::string call) { m_log->calls.push_back(std::move(call)); }
  std::shared_ptr<EditorLog> m_log;
  std::string m_text;
  bool m_accepted = false;
};

class RecordingListEditor : public CListEditor {
public:
  explicit RecordingListEditor(std::shared_ptr<EditorLog> log) : m_log(std::move(log)) {}
  void Show() override { Log("list.Show"); }
  void Hide() override { Log("list.Hide"); }
  void Move(int x, int y, int w, int h) override {
    Log("list.Move " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
        std::to_string(h));
  }
  void ResetContent() override {
    entries.clear();
    Log("list.ResetContent");
  }
  void AddString(const std::string &text) override { entries.push_back(text); }
  void SetCurSel(int index) override {
    m_selection = index;
    Log("list.SetCurSel " + std::to_string(index));
  }
  int GetCurSel() const override { return m_selection; }
  void ShowDropDown() override { Log("list.ShowDropDown"); }
  void SetFocus() override { Log("list.SetFocus"); }
  bool IsAccepted() const override { return m_accepted; }

  void EndEdit(int selection, bool accepted) {
    m_selection = selection;
    m_accepted = accepted;
    Notify();
  }

  std::vector<std::string> entries;

private:
  void Log(std::string call) { m_log->calls.push_back(std::move(call)); }
  std::shared_ptr<EditorLog> m_log;
  int m_selection = -1;
  bool m_accepted = false;
};
