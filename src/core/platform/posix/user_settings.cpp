#include "core/platform/user_settings.h"

#include "core/platform/exe_path.h"

CUserSettings::CUserSettings(std::string maker, std::string program)
    : m_maker(std::move(maker)), m_program(program.empty() ? ExecutableBaseName() : std::move(program)) {}

bool CUserSettings::Exists() { return false; }

std::optional<int> CUserSettings::ReadInt(const std::string &, const std::string &) const { return {}; }

std::optional<std::string> CUserSettings::ReadString(const std::string &, const std::string &) const { return {}; }

bool CUserSettings::WriteInt(const std::string &, const std::string &, int) { return false; }

bool CUserSettings::WriteString(const std::string &, const std::string &, const std::string &) { return false; }

std::string CUserSettings::Location() const { return {}; }
