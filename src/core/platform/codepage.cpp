#include "core/platform/codepage.h"

#include <atomic>

namespace {

std::atomic<CodePage> g_linkCodePage{CodePage::CP1252};

} // namespace

void SetLinkCodePage(CodePage cp) { g_linkCodePage.store(cp); }

CodePage GetLinkCodePage() { return g_linkCodePage.load(); }

bool IsLeadByte(CodePage cp, unsigned char byte) {
  return cp == CodePage::CP932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}
