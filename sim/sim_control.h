// The simulator's control lines ("fault garbage 0 3", "input 50", "quit"...),
// as kt5rs-sim reads them on standard input and as the program's own
// simulated instrument can take them from a pipe.
#pragma once

#include "kt5rs_simulator.h"

#include <ostream>
#include <string>

// Carries out one line and writes "ok" or "error: ..." (or what was asked
// for) to out. False for "quit" and "exit".
bool SimControlLine(CKT5RSSimulator &sim, const std::string &line, std::ostream &out);

// "on"/"1" or "off"/"0".
bool SimParseOnOff(const std::string &s, bool &v);
// A whole decimal number that fits a long.
bool SimParseNumber(const std::string &s, long &v);
