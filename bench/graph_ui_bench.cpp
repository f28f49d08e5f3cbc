// The trend graph window redrawing its 1000 x 600 picture of a million
// samples: once per recording tick from the summary, and in review mode
// from every sample. Each iteration renders the whole picture and hands it
// out as an image; BM_GraphPictureCopyOnly is that hand-out alone.
#include "ui/instruments/graph.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int kMillion = 1000000;

void Fill(CGraph &g) {
  g.resize(1000, 600);
  for (int i = 1; i <= kMillion; ++i)
    g.AddSample(float(i), float(50 + 40 * std::sin(i * 0.001) + (i % 7)));
  g.SetAxes(0, kMillion + 1, 0, 100);
}

void BM_GraphRedrawRecording(benchmark::State &state) {
  CGraph g;
  Fill(g);
  float x = kMillion;
  for (auto _ : state) {
    g.AddSample(++x, 50); // as a tick does: one more sample, then a redraw
    benchmark::DoNotOptimize(g.Picture());
  }
}
BENCHMARK(BM_GraphRedrawRecording)->Unit(benchmark::kMillisecond);

void BM_GraphRedrawReview(benchmark::State &state) {
  CGraph g;
  Fill(g);
  g.SetMode(CGraph::ReviewMode);
  for (auto _ : state) {
    g.SetView(0, kMillion + 1, 0, 100);
    benchmark::DoNotOptimize(g.Picture());
  }
}
BENCHMARK(BM_GraphRedrawReview)->Unit(benchmark::kMillisecond);

void BM_GraphPictureCopyOnly(benchmark::State &state) {
  CGraph g;
  Fill(g);
  g.Picture();
  for (auto _ : state)
    benchmark::DoNotOptimize(g.Picture());
}
BENCHMARK(BM_GraphPictureCopyOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
