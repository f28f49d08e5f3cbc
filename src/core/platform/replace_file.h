// Replacing a file's contents so that a failure never costs the previous
// file: the new contents go to a temporary file beside the target, which is
// renamed over it only once complete.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

class CReplaceFileError : public std::system_error {
public:
  CReplaceFileError(std::error_code error, const std::string &what, bool created)
      : std::system_error(error, what), m_created(created) {}
  // error: an errno value.
  CReplaceFileError(int error, const std::string &what, bool created)
      : CReplaceFileError(std::error_code(error, std::generic_category()), what, created) {}
  // False when not even the temporary file could be made: the folder is
  // missing or not writable.
  bool Created() const noexcept { return m_created; }

private:
  bool m_created;
};

// Writes bytes over path (a symbolic link keeps pointing where it did: its
// target is replaced). A replaced file keeps its permissions. Throws
// CReplaceFileError and leaves path as it was.
void ReplaceFileContents(const std::string &path, std::string_view bytes);
