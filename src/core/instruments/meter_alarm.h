// Whether a value panel's reading lies in its range: a reading outside it
// (an open sensor reads far above 100 %) or a reply that is no number at all
// must not look like a healthy value.
#pragma once

#include <string_view>

enum class MeterAlarm { None, Below, Above, NotANumber };

// The state of a value text against the range low..high (either end may be
// the larger one). A text that is a number with nothing but blanks around
// it is compared; an empty text is no reading and no alarm.
MeterAlarm ClassifyReading(std::string_view text, double low, double high);

// What the value box shows in place of a text that is no number.
inline constexpr const char *kNoReadingText = "----";
