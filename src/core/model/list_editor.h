// The drop-down list that edits a choice cell in place. The window behind it
// belongs to the user interface; the model places, fills and shows it through
// this interface only.
#pragma once

#include "core/model/observable.h"

#include <string>

class CListEditor : public CObservable {
public:
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Client coordinates of the parameter list.
  virtual void Move(int x, int y, int width, int height) = 0;
  virtual void ResetContent() = 0;
  virtual void AddString(const std::string &text) = 0;
  virtual void SetCurSel(int index) = 0;
  virtual int GetCurSel() const = 0;
  virtual void ShowDropDown() = 0;
  virtual void SetFocus() = 0;
  // The outcome of the edit that ended with the last notification.
  virtual bool IsAccepted() const = 0;
};
