// One redraw of a panel's meter after a new value, as the main window's
// 100 ms refresh causes it.
#include "ui/instruments/meter.h"
#include "ui/instruments/meter_ctrl.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_MeterRedraw(benchmark::State &state) {
  CMeterCtrl panel;
  panel.SetRange(4, 20);
  CMeter *meter = panel.Meter();
  int i = 0;
  for (auto _ : state) {
    panel.SetValueText(std::to_string(4 + (i++ % 160) / 10.0));
    meter->RedrawIfDirty();
    benchmark::DoNotOptimize(meter->Surface().cacheKey());
  }
}
BENCHMARK(BM_MeterRedraw)->Unit(benchmark::kMicrosecond);

} // namespace
