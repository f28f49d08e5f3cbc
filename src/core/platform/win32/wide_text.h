// The program's UTF-8 text and paths to and from the UTF-16 of the Windows
// API, and the system's text for an error code.
#pragma once

#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// The system's message for a GetLastError code, without the trailing line end.
std::string SystemErrorText(unsigned long code);

#include <system_error>

// The category of GetLastError codes; message() is the system's text.
const std::error_category &Win32ErrorCategory();
inline std::error_code Win32Error(unsigned long code) {
  return std::error_code(static_cast<int>(code), Win32ErrorCategory());
}
