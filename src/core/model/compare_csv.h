// The comparison as a CSV file, for a commissioning record: the four
// columns of the compare list and a fifth that marks the differing rows.
#pragma once

#include "core/model/compare_rows.h"

#include <string>

// The mark a differing row carries in the last column.
inline constexpr const char *kCompareCsvMark = "*";

// The file's text: a header line of the column names, then one line per
// row, CRLF line ends, fields quoted where they need it.
std::string CompareRowsToCsv(const CompareRows &rows);

// Writes the text over path through a file beside it, so a failure leaves
// any earlier file whole. Throws CParameterException (30113 with the
// system's reason on a second line).
void SaveCompareCsv(const CompareRows &rows, const std::string &path);
