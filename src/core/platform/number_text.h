// Numbers on the link and in files are always written and read with a '.'
// decimal point, whatever locale the user interface has set: these helpers
// never consult the C locale.
#pragma once

#include <string>
#include <string_view>

// "%d".
std::string FormatInt(long long value);
// "%.4lf" of value.
std::string FormatFixed4(double value);
// "%.4lf" of a stored decimal (value scaled by 10000).
std::string FormatScaled(long long stored);

// Like sscanf "%lf": skips white space and reads the longest number at the
// front of text, advancing text past it. False when there is none (text is
// then unchanged). Infinities and NaN are not numbers here.
bool ScanDouble(std::string_view &text, double &value);
// Like sscanf "%d"; a value beyond the int range is clamped to it.
bool ScanInt(std::string_view &text, int &value);
// The leading decimal integer of a text, 0 when it has none. Blanks before
// it are skipped as by TrimBlanks.
int LeadingInt(std::string_view text);

// The text without the blanks around it: white space, and the full-width
// space (U+3000, UTF-8) that a Japanese input method types.
std::string_view TrimBlanks(std::string_view text);

// A decimal to its stored integer: nudged by 0.00001 away from zero so a
// number written with four decimals comes back exactly, then truncated
// toward zero; clamped to the int range.
int ScaleToStored(double value);
