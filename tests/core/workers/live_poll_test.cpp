// One live reply read once for both of its readers: the window's meters take
// the text and the number it starts with, a log of values takes only a reply
// that is one number and nothing else.
#include "core/workers/live_poll.h"

#include <gtest/gtest.h>

TEST(LiveReply, TheMetersTakeWhatTheReplyStartsWithALogOnlyAWholeNumber) {
  struct Case {
    const char *reply;
    const char *text;
    double value;
    const char *number;
  };
  const Case cases[] = {
      {"D  12.5 \r", "12.5 \r", 12.5, "12.5"},
      // A log never shows the number a garbled reply starts with.
      {"D12.5mA", "12.5mA", 12.5, ""},
      // The meters do not look at the first character; a log does.
      {"x12.5", "12.5", 12.5, ""},
      {"D---", "---", 0.0, ""},
      {"", "", 0.0, ""},
  };
  for (const Case &c : cases) {
    const LiveReading reading = ReadLiveReply(c.reply);
    EXPECT_EQ(reading.text, c.text) << c.reply;
    EXPECT_DOUBLE_EQ(reading.value, c.value) << c.reply;
    EXPECT_EQ(reading.number, c.number) << c.reply;
  }
}
