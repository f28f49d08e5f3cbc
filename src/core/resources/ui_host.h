// The one way the core talks to the person at the screen: message boxes,
// value prompts and the modal tool dialogs. The Qt layer implements it; tests
// and the command line tool script it.
#pragma once

#include <string>

class CCommInterface;
class CTableFile;
struct LoopChoice;
struct LoopLimits;

// Message box styles (combinable) and answers, with their usual values.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNOCANCEL = 0x03;
inline constexpr unsigned MB_YESNO = 0x04;
// The usual question before changes are dropped: Save (IDYES), Discard
// (IDNO) or Cancel (IDCANCEL).
inline constexpr unsigned MB_SAVEDISCARDCANCEL = 0x07;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class CUIHost {
public:
  virtual ~CUIHost() = default;

  // Shows text with the style; returns IDOK, IDYES or IDNO.
  virtual int MessageBox(const std::string &text, unsigned style) = 0;

  // The value prompt: shows the prompt string id, returns true on OK with
  // the entered text; false on Cancel, leaving text unchanged.
  virtual bool AskValue(int promptId, std::string &text) = 0;

  // The modal tool dialogs of the utility actions. A host without them
  // answers as if the user had cancelled at once, sending nothing.

  // The input and output calibration procedures, talking to the instrument
  // through comm until the user closes them.
  virtual void RunInputCalibration(CCommInterface &comm);
  virtual void RunOutputCalibration(CCommInterface &comm);
  // The loop test's question; mode 0 when cancelled.
  virtual LoopChoice RunLoopDialog(const LoopLimits &limits);
  // The user table dialog on table: IDOK with the table replaced by the
  // user's, or IDCANCEL with the table as it was.
  virtual int RunTableDialog(CTableFile &table);
};

// The host the core uses. Without one set, messages go to standard error and
// questions are answered No / Cancel.
CUIHost &UIHost();
void SetUIHost(CUIHost *host);

// Shorthand for UIHost().MessageBox.
int AfxMessageBox(const std::string &text, unsigned style = MB_OK);
int AfxMessageBox(int id, unsigned style = MB_OK);
