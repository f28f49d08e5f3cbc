#include "core/resources/strings.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<const StringTable *> g_current{nullptr};
}

void SetCurrentStringTable(const StringTable *table) { g_current.store(table); }

const StringTable &CurrentStringTable() {
  const StringTable *t = g_current.load();
  return t ? *t : EnglishStringTable();
}

const char *FindString(const StringTable &table, int id) {
  // Tables are small and a foreign one need not be sorted; a linear scan is
  // cheap next to anything that shows the text.
  for (std::size_t i = 0; i < table.count; ++i)
    if (table.entries[i].id == id)
      return table.entries[i].text;
  return nullptr;
}

std::string LoadString(int id) {
  if (const char *s = FindString(CurrentStringTable(), id))
    return s;
  if (const char *s = FindString(EnglishStringTable(), id))
    return s;
  return {};
}
