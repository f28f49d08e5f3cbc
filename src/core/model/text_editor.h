// The single-line text box that edits a value cell in place. The window
// behind it belongs to the user interface; the model places, fills and shows
// it through this interface only.
#pragma once

#include "core/model/observable.h"

#include <string>

class CTextEditor : public CObservable {
public:
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Client coordinates of the parameter list.
  virtual void Move(int x, int y, int width, int height) = 0;
  virtual void SetText(const std::string &text) = 0;
  virtual std::string GetText() const = 0;
  // Selects the whole text and scrolls the caret into view.
  virtual void SelectAll() = 0;
  virtual void SetFocus() = 0;
  // The outcome of the edit that ended with the last notification.
  virtual bool IsAccepted() const = 0;
};
