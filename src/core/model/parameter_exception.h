// Failures of the parameter model: range and format errors, a file of another
// model, a device of another model, a configuration file that cannot be saved.
#pragma once

#include "core/resources/exception.h"

class CParameterException : public CException {
public:
  using CException::CException;
};
