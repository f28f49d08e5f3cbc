#include "simulated_instrument.h"

#ifdef _WIN32

#include <stdexcept>

void StartSimulatedInstrument() {
  throw std::runtime_error("--simulate needs a pseudo-terminal, which Windows does not have; use --port");
}
std::string SimulatedInstrumentDevice() { return {}; }
void StopSimulatedInstrument() {}

#else

#include "kt5rs_simulator.h"

#include <memory>

namespace {

std::unique_ptr<CKT5RSSimulator> g_simulator;

} // namespace

void StartSimulatedInstrument() {
  SimOptions sim;
  sim.registerPort = false;
  g_simulator = std::make_unique<CKT5RSSimulator>(sim);
  g_simulator->Start();
}

std::string SimulatedInstrumentDevice() { return g_simulator ? g_simulator->DevicePath() : std::string(); }

void StopSimulatedInstrument() { g_simulator.reset(); }

#endif
