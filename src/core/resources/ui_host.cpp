#include "core/resources/ui_host.h"

#include "core/resources/strings.h"
#include "core/tools/loop_test.h"

#include <atomic>
#include <cstdio>

void CUIHost::RunInputCalibration(CCommInterface &) {}

void CUIHost::RunOutputCalibration(CCommInterface &) {}

LoopChoice CUIHost::RunLoopDialog(const LoopLimits &) { return {}; }

int CUIHost::RunTableDialog(CTableFile &) { return IDCANCEL; }

namespace {

// Used before any front end installs its own host: a message still reaches
// the person running the program, and no question is answered Yes unasked.
class CStderrHost : public CUIHost {
public:
  int MessageBox(const std::string &text, unsigned style) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return (style & MB_YESNO) ? IDNO : IDOK;
  }
  bool AskValue(int, std::string &) override { return false; }
};

CStderrHost g_stderrHost;
std::atomic<CUIHost *> g_host{nullptr};

} // namespace

CUIHost &UIHost() {
  CUIHost *h = g_host.load();
  return h ? *h : g_stderrHost;
}

void SetUIHost(CUIHost *host) { g_host.store(host); }

int AfxMessageBox(const std::string &text, unsigned style) { return UIHost().MessageBox(text, style); }

int AfxMessageBox(int id, unsigned style) { return UIHost().MessageBox(LoadString(id), style); }
