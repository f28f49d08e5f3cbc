// The trend graph's logic: adding a sample, what a long recording costs in
// memory, and laying out a 1000 x 600 picture of a million samples in each
// mode (the painting itself is in graph_ui_bench).
#include "core/instruments/graph_logic.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

constexpr int kMillion = 1000000;

void Fill(CGraphLogic &g, int n) {
  for (int i = 1; i <= n; ++i)
    g.AddSample(float(i), float(50 + 40 * std::sin(i * 0.001) + (i % 7)));
  g.SetView(0, n + 1, 0, 100);
}

int Width(const std::string &text) { return 5 * static_cast<int>(text.size()); }

// A million samples into an empty store, summary and compactions included.
void BM_GraphAddSample(benchmark::State &state) {
  CGraphSamples s;
  for (auto _ : state) {
    s.Clear();
    for (int i = 1; i <= kMillion; ++i)
      s.Add(float(i), float(i % 100));
    benchmark::DoNotOptimize(s.Size());
  }
  state.SetItemsProcessed(state.iterations() * kMillion);
  state.counters["ns_per_sample"] =
      benchmark::Counter(double(state.iterations()) * kMillion, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                         benchmark::Counter::kIs1000);
  state.counters["bytes_per_sample"] = double(s.SampleBytes()) / double(s.Size());
  state.counters["summary_bytes"] = double(CGraphSamples::BucketCount * sizeof(GraphBucket));
}
BENCHMARK(BM_GraphAddSample)->Unit(benchmark::kMillisecond);

void BM_GraphLayoutRecording(benchmark::State &state) {
  CGraphLogic g;
  Fill(g, kMillion);
  const GraphRect o{0, 0, 1000, 600};
  for (auto _ : state)
    benchmark::DoNotOptimize(g.Draw(o, o, 10, Width));
}
BENCHMARK(BM_GraphLayoutRecording)->Unit(benchmark::kMicrosecond);

void BM_GraphLayoutReview(benchmark::State &state) {
  CGraphLogic g;
  Fill(g, kMillion);
  g.SetMode(CGraphLogic::ReviewMode);
  const GraphRect o{0, 0, 1000, 600};
  for (auto _ : state)
    benchmark::DoNotOptimize(g.Draw(o, o, 10, Width));
}
BENCHMARK(BM_GraphLayoutReview)->Unit(benchmark::kMillisecond);

} // namespace
