// The user's language where the system keeps it outside the environment.
#pragma once

#include <string>

// The ISO 639 code of the user's language ("ja", "en") as Windows keeps it
// for the thread; empty on POSIX, where the environment (LC_ALL,
// LC_MESSAGES, LANG) is the setting.
std::string SystemUserLanguage();
