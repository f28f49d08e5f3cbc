// Where the running program lives. Resource libraries and the service-mode
// marker are looked for beside the executable, never in the working folder.
#pragma once

#include <string>

// Full path of the running executable (symlinks resolved); empty when the
// system cannot tell.
std::string ExecutablePath();

// Its folder, without a trailing separator; empty when unknown.
std::string ExecutableDir();

// Its file name without folder and without an extension ("vela"); empty when unknown.
std::string ExecutableBaseName();
