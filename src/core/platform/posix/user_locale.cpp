#include "core/platform/user_locale.h"

std::string SystemUserLanguage() { return {}; }
