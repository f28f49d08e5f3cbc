// The string table: every user-visible text by its id. The English table is
// built in; a language module may make another table current.
#pragma once

#include <cstddef>
#include <string>

struct StringEntry {
  int id;
  const char *text; // UTF-8
};

struct StringTable {
  const StringEntry *entries;
  std::size_t count;
};

// The built-in English table, sorted by id.
const StringTable &EnglishStringTable();

// Selects the table LoadString reads from; nullptr goes back to English.
// Ids missing from a foreign table fall back to the English text.
void SetCurrentStringTable(const StringTable *table);
const StringTable &CurrentStringTable();

// Text of the id in the current table; empty when the id is unknown.
std::string LoadString(int id);

// Text of the id in the given table only (no fallback); nullptr when absent.
const char *FindString(const StringTable &table, int id);
