// How long the whole-set operations take on this machine, without the 9600 baud
// line: a whole upload and download against the in-process simulator over a
// real pseudo-terminal, and saving and loading a configuration file. The
// line itself adds about 240 exchanges' worth of bytes at 960 bytes a second.
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_kt5rs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::unique_ptr<CKT5RSSimulator> StartSimulator() {
  SimOptions options;
  options.registerPort = false;
  auto sim = std::make_unique<CKT5RSSimulator>(options);
  sim->Start();
  return sim;
}

void BM_WholeUpload(benchmark::State &state) {
  auto sim = StartSimulator();
  CCommInterface comm;
  comm.OpenDevice(sim->DevicePath());
  CParKT5RS model;
  for (auto _ : state) {
    model.ResetProgress();
    model.ReadFromDevice(&comm, -1, -1);
  }
}
BENCHMARK(BM_WholeUpload)->Unit(benchmark::kMillisecond);

void BM_WholeDownload(benchmark::State &state) {
  auto sim = StartSimulator();
  CCommInterface comm;
  comm.OpenDevice(sim->DevicePath());
  CParKT5RS model;
  for (auto _ : state)
    model.WriteToDevice(comm, -1, -1);
}
BENCHMARK(BM_WholeDownload)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadFile(benchmark::State &state) {
  std::string path = (std::filesystem::temp_directory_path() / "vela-bench.cfg").string();
  CParKT5RS model;
  CParKT5RS loaded;
  for (auto _ : state) {
    model.SaveFile(path);
    loaded.LoadFile(path);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveAndLoadFile)->Unit(benchmark::kMicrosecond);

} // namespace
