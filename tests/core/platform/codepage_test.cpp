// Text conversion between UTF-8 and the line's code pages, with the real
// iconv tables.
#include "core/platform/codepage.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(CodePage, LinkCodePageDefaultsToWesternAndCanBeSwitched) {
  EXPECT_EQ(GetLinkCodePage(), CodePage::CP1252);
  SetLinkCodePage(CodePage::CP932);
  EXPECT_EQ(GetLinkCodePage(), CodePage::CP932);
  SetLinkCodePage(CodePage::CP1252);
}

TEST(CodePage, WesternRoundTrip) {
  const std::string text = "Temp 25\xC2\xB0"
                           "C \xE2\x82\xAC 1.5 \xC3\xA9"; // degree sign, euro, e acute
  std::string bytes = Utf8ToCodePage(text, CodePage::CP1252);
  EXPECT_EQ(bytes, "Temp 25\xB0"
                   "C \x80 1.5 \xE9");
  EXPECT_EQ(CodePageToUtf8(bytes, CodePage::CP1252), text);
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
  // Check mark, a Japanese character and an emoji: none is in CP1252.
  EXPECT_EQ(Utf8ToCodePage("a\xE2\x9C\x93"
                           "b\xE3\x82\xBF"
                           "c\xF0\x9F\x98\x80"
                           "d",
                           CodePage::CP1252),
            "a?b?c?d");
  // Emoji are not in CP932 either.
  EXPECT_EQ(Utf8ToCodePage("\xE3\x82\xBF\xF0\x9F\x98\x80", CodePage::CP932), "\x83\x5E?");
}

TEST(CodePage, BrokenUtf8BecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToCodePage("a\xFF"
                           "b",
                           CodePage::CP1252),
            "a?b");
  EXPECT_EQ(Utf8ToCodePage("a\xC3", CodePage::CP1252), "a?"); // cut short at the end
  EXPECT_EQ(Utf8ToCodePage("a\xE3\x82"
                           "b",
                           CodePage::CP932),
            "a?b"); // cut short inside
}

TEST(CodePage, JapaneseRoundTrip) {
  const std::string tag = "\xE3\x82\xBF\xE3\x82\xB0 T-01"; // "タグ T-01"
  std::string bytes = Utf8ToCodePage(tag, CodePage::CP932);
  EXPECT_EQ(bytes, "\x83\x5E\x83\x4F T-01");
  EXPECT_EQ(CodePageToUtf8(bytes, CodePage::CP932), tag);
}

TEST(CodePage, Cp932IsTheWindowsTableNotPlainShiftJis) {
  // Circled digit one (NEC row 13) and the fullwidth tilde exist only in the
  // Windows table; backslash stays a backslash.
  EXPECT_EQ(Utf8ToCodePage("\xE2\x91\xA0", CodePage::CP932), "\x87\x40");
  EXPECT_EQ(Utf8ToCodePage("\xEF\xBD\x9E", CodePage::CP932), "\x81\x60");
  EXPECT_EQ(Utf8ToCodePage("C:\\x", CodePage::CP932), "C:\\x");
  EXPECT_EQ(CodePageToUtf8("\\~", CodePage::CP932), "\\~");
  // Half-width katakana are single bytes.
  EXPECT_EQ(CodePageToUtf8("\xB1", CodePage::CP932), "\xEF\xBD\xB1");
}

TEST(CodePage, UndecodableBytesBecomeReplacementCharacters) {
  EXPECT_EQ(CodePageToUtf8("a\x81"
                           "b",
                           CodePage::CP1252),
            "a" + kReplacement + "b");
  EXPECT_EQ(CodePageToUtf8("a\x83", CodePage::CP932), "a" + kReplacement);
  EXPECT_EQ(CodePageToUtf8(std::string("a\0b", 3), CodePage::CP1252), std::string("a\0b", 3));
}

TEST(CodePage, LeadBytes) {
  for (int b = 0; b < 256; ++b) {
    bool expected = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(IsLeadByte(CodePage::CP932, static_cast<unsigned char>(b)), expected) << b;
    EXPECT_FALSE(IsLeadByte(CodePage::CP1252, static_cast<unsigned char>(b)));
  }
}

TEST(CodePage, ThreadsConvertIndependently) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 2000; ++i) {
        if (t % 2 == 0) {
          if (CodePageToUtf8(Utf8ToCodePage("\xE3\x82\xBF\xE3\x82\xB0", CodePage::CP932), CodePage::CP932) !=
              "\xE3\x82\xBF\xE3\x82\xB0")
            ++failures[t];
        } else if (Utf8ToCodePage("\xC3\xA9\xE2\x9C\x93", CodePage::CP1252) != "\xE9?") {
          ++failures[t];
        }
      }
    });
  }
  for (auto &th : threads)
    th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
