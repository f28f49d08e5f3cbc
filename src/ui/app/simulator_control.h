// Control lines for the program's own simulated instrument (--simulate), read
// from a named pipe: how an outside script makes that instrument misbehave
// ("fault garbage 0 3"), as kt5rs-sim takes the same lines on its standard
// input. The pipe is named by the environment (see main.cpp); without it
// nothing here runs.
#pragma once

#include <string>
#include <thread>

class CKT5RSSimulator;

class CSimulatorControl {
public:
  // Opens the pipe and starts reading; throws std::runtime_error when the
  // pipe does not open.
  CSimulatorControl(CKT5RSSimulator &simulator, const std::string &pipePath);
  // Stops reading; the simulator outlives this.
  ~CSimulatorControl();
  CSimulatorControl(const CSimulatorControl &) = delete;
  CSimulatorControl &operator=(const CSimulatorControl &) = delete;

private:
  void Run();

  CKT5RSSimulator &m_simulator;
  int m_pipe = -1;
  int m_wake[2] = {-1, -1};
  std::thread m_thread;
};
