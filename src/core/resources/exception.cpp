#include "core/resources/exception.h"

#include "core/resources/strings.h"

CException::CException(int id) : m_id(id), m_text(LoadString(id)) {}

CException::CException(int id, std::string text) : m_id(id), m_text(std::move(text)) {}
