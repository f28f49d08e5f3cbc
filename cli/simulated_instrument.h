// The built-in instrument of --simulate: a simulated KT5RS on a
// pseudo-terminal that lives as long as the command.
#pragma once

#include <string>

// Starts it; throws when it cannot run (Windows has no pseudo-terminals).
void StartSimulatedInstrument();
// Its device, or empty when none runs.
std::string SimulatedInstrumentDevice();
void StopSimulatedInstrument();
