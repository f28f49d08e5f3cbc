// A failure of the serial port itself: it cannot be opened or set up, or no
// line arrives in time. Its own header so that what only reports such a
// failure needs nothing of the port.
#pragma once

#include "core/resources/exception.h"

class CSerialIOException : public CException {
public:
  using CException::CException;
};
