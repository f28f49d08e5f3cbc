// The main window's refresh after a block change: the list of the 204-row
// user table block refilled over the 4 rows of block 1, with the panels and
// utility buttons. It runs after every command and edit, so it must stay
// well below what a user notices.
#include "ui/mainwindow/vela_dlg.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

void BM_RefreshViewBlock3AfterBlock1(benchmark::State &state) {
  CMemorySettingsStore store;
  CLanguageModule language(store);
  language.Load(0);
  CVELADlg dlg(language);
  dlg.Create();
  dlg.show();
  QApplication::processEvents();
  for (auto _ : state) {
    state.PauseTiming();
    dlg.SelectBlock(1);
    QApplication::processEvents();
    state.ResumeTiming();
    dlg.SelectBlock(3);
  }
  dlg.close();
}
BENCHMARK(BM_RefreshViewBlock3AfterBlock1)->Unit(benchmark::kMicrosecond);

// The same refresh with the block unchanged: what every edit costs.
void BM_RefreshViewBlock3Again(benchmark::State &state) {
  CMemorySettingsStore store;
  CLanguageModule language(store);
  language.Load(0);
  CVELADlg dlg(language);
  dlg.Create();
  dlg.show();
  dlg.SelectBlock(3);
  QApplication::processEvents();
  for (auto _ : state)
    dlg.RefreshView();
  dlg.close();
}
BENCHMARK(BM_RefreshViewBlock3Again)->Unit(benchmark::kMicrosecond);

} // namespace
