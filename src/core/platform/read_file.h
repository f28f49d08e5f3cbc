// Reading a whole file that must stay small (a configuration file): what
// arrives beyond the limit, whatever the file claims its size to be, makes
// the read fail, so a hostile or growing file costs no more than the limit.
#pragma once

#include <cstddef>
#include <string>

// False when the file cannot be opened or read, or holds more than limit bytes.
bool ReadFileContents(const std::string &path, std::size_t limit, std::string &bytes);
