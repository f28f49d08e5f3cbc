// Loading configuration files: a real one, and files built to hurt (a
// mebibyte of blank lines, of keys, of sections; and one far over the size
// limit), which must be refused quickly and without much memory. The peak
// of memory held while one load runs is reported as peak_MB.
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

namespace {

// Every allocation of this program is counted: bytes held now and the most
// held since the last reset.
std::atomic<std::size_t> g_held{0};
std::atomic<std::size_t> g_peak{0};

// Room in front of each block for its size, kept at the strictest alignment.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void *Allocate(std::size_t size) {
  auto *block = static_cast<unsigned char *>(std::malloc(size + kHeader));
  if (block == nullptr)
    throw std::bad_alloc();
  *reinterpret_cast<std::size_t *>(block) = size;
  const std::size_t now = g_held += size;
  std::size_t peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return block + kHeader;
}

void Release(void *pointer) {
  if (pointer == nullptr)
    return;
  auto *block = static_cast<unsigned char *>(pointer) - kHeader;
  g_held -= *reinterpret_cast<std::size_t *>(block);
  std::free(block);
}

std::string TempPath(const char *name) { return (std::filesystem::temp_directory_path() / name).string(); }

void Write(const std::string &path, const std::string &content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A file as the program saves it, with values off their defaults.
std::string RealFile() {
  CParKT5RS model;
  model.SetValue(0, 0, 3);
  model.SetValue(0, 1, 1);
  model.SetValueString(1, 0, "2.5");
  model.SetValueString(2, 0, "10");
  model.SetValueString(2, 1, "90");
  for (int item = 2; item < 2 + 2 * 101; ++item)
    model.SetValue(3, item, 1000 * item);
  model.SetValue(5, 0, 1);
  const std::string path = TempPath("vela-bench-real.cfg");
  model.SaveFile(path);
  return path;
}

// Loads the file once per iteration; peak_MB is the memory the load held at
// its height beyond what was held before it.
void LoadAndMeasure(benchmark::State &state, const std::string &path, bool refused) {
  std::size_t peak = 0;
  for (auto _ : state) {
    CParKT5RS model;
    const std::size_t before = g_held.load();
    g_peak = before;
    bool failed = false;
    try {
      model.LoadFile(path);
    } catch (const CParameterException &) {
      failed = true;
    }
    if (g_peak.load() - before > peak)
      peak = g_peak.load() - before;
    if (failed != refused)
      state.SkipWithError(refused ? "hostile file loaded" : "real file refused");
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
}

void BM_LoadRealFile(benchmark::State &state) {
  const std::string path = RealFile();
  LoadAndMeasure(state, path, false);
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadRealFile)->Unit(benchmark::kMicrosecond);

// One mebibyte of the same short line: the size the loader still reads.
void RefuseMebibyteOf(benchmark::State &state, const std::string &line) {
  const std::string path = TempPath("vela-bench-hostile.cfg");
  std::string content;
  while (content.size() + line.size() <= (1u << 20))
    content += line;
  Write(path, content);
  LoadAndMeasure(state, path, true);
  std::remove(path.c_str());
}

void BM_RefuseBlankLines(benchmark::State &state) { RefuseMebibyteOf(state, "\n"); }
BENCHMARK(BM_RefuseBlankLines)->Unit(benchmark::kMillisecond);

void BM_RefuseKeyLines(benchmark::State &state) { RefuseMebibyteOf(state, "a\n"); }
BENCHMARK(BM_RefuseKeyLines)->Unit(benchmark::kMillisecond);

void BM_RefuseSectionLines(benchmark::State &state) { RefuseMebibyteOf(state, "[]\n"); }
BENCHMARK(BM_RefuseSectionLines)->Unit(benchmark::kMillisecond);

void BM_RefuseOversizedFile(benchmark::State &state) {
  const std::string path = TempPath("vela-bench-oversized.cfg");
  Write(path, std::string(16u << 20, '\n'));
  LoadAndMeasure(state, path, true);
  std::remove(path.c_str());
}
BENCHMARK(BM_RefuseOversizedFile)->Unit(benchmark::kMillisecond);

} // namespace

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void *pointer) noexcept { Release(pointer); }
void operator delete[](void *pointer) noexcept { Release(pointer); }
void operator delete(void *pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void *pointer, std::size_t) noexcept { Release(pointer); }
