// The base of every failure the program reports. An exception carries the
// finished message text and the string id it was built from, so a handler
// can show the text and a test can assert the id.
#pragma once

#include <exception>
#include <string>

class CException : public std::exception {
public:
  // Text loaded from the current string table.
  explicit CException(int id);
  // A ready text (formatted with inserts, or extended with a reason).
  CException(int id, std::string text);

  int GetId() const noexcept { return m_id; }
  const std::string &GetErrorMessage() const noexcept { return m_text; }
  const char *what() const noexcept override { return m_text.c_str(); }

private:
  int m_id;
  std::string m_text;
};
