// The Japanese resource library against the built-in English set: only
// known ids, the same inserts in every translated message, well-formed
// UTF-8, and captions that name real templates and controls.
#include "core/platform/dynlib.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

class JpnLibrary : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_lib.Open(std::string(VELA_BIN_DIR) + "/VELA_jpn.so")) << m_lib.Error();
    auto *strings = m_lib.Function<const StringTable *()>("VelaStringTable");
    auto *captions = m_lib.Function<const TemplateCaptionTable *()>("VelaTemplateCaptions");
    ASSERT_TRUE(strings && captions);
    m_strings = strings();
    m_captions = captions();
    ASSERT_TRUE(m_strings && m_captions);
  }

  CDynLib m_lib;
  const StringTable *m_strings = nullptr;
  const TemplateCaptionTable *m_captions = nullptr;
};

// Every insert of a message text, sorted: "%1", "%1!d!", "%s", "%d".
std::vector<std::string> Inserts(const std::string &text) {
  static const std::regex insert(R"(%[1-9](![a-z]+!)?|%[sd]|%%)");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), insert); it != std::sregex_iterator(); ++it)
    found.push_back(it->str());
  std::sort(found.begin(), found.end());
  return found;
}

bool IsUtf8(const std::string &s) {
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int more = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (more < 0 || i + more >= s.size() + (more == 0 ? 1 : 0))
      return false;
    for (int k = 1; k <= more; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2)
        return false;
    i += more + 1;
  }
  return true;
}

TEST_F(JpnLibrary, TranslatesOnlyKnownIdsKeepingEveryInsert) {
  EXPECT_GT(m_strings->count, 50u);
  std::set<int> seen;
  for (std::size_t i = 0; i < m_strings->count; ++i) {
    const StringEntry &e = m_strings->entries[i];
    EXPECT_TRUE(seen.insert(e.id).second) << "duplicate id " << e.id;
    const char *english = FindString(EnglishStringTable(), e.id);
    ASSERT_NE(english, nullptr) << "id " << e.id << " is not an English id";
    EXPECT_EQ(Inserts(e.text), Inserts(english)) << "id " << e.id;
    EXPECT_TRUE(IsUtf8(e.text)) << "id " << e.id;
    EXPECT_NE(std::string(e.text), "") << "id " << e.id;
  }
  // The file dialog filter keeps its pairs of description and pattern.
  const std::string filter = FindString(*m_strings, 100);
  const std::string english = FindString(EnglishStringTable(), 100);
  EXPECT_EQ(std::count(filter.begin(), filter.end(), '|'), std::count(english.begin(), english.end(), '|'));
  EXPECT_NE(filter.find("|*.cfg|"), std::string::npos);
}

TEST_F(JpnLibrary, HoldsEveryEnglishId) {
  // With the test above the two sets of ids are the same: nothing in the
  // Japanese window falls back to English.
  const StringTable &english = EnglishStringTable();
  std::vector<int> missing;
  for (std::size_t i = 0; i < english.count; ++i)
    if (FindString(*m_strings, english.entries[i].id) == nullptr)
      missing.push_back(english.entries[i].id);
  EXPECT_EQ(missing, std::vector<int>{});
}

TEST_F(JpnLibrary, CaptionsNameRealControls) {
  std::set<std::pair<int, int>> seen;
  for (std::size_t i = 0; i < m_captions->count; ++i) {
    const TemplateCaption &c = m_captions->entries[i];
    EXPECT_TRUE(seen.insert({c.templateId, c.controlId}).second) << c.templateId << "/" << c.controlId;
    const DialogTemplate *t = FindDialogTemplate(c.templateId);
    ASSERT_NE(t, nullptr) << c.templateId;
    if (c.controlId != 0) {
      EXPECT_NE(c.controlId, IDC_STATIC);
      EXPECT_NE(t->Control(c.controlId), nullptr) << c.templateId << "/" << c.controlId;
    }
    EXPECT_TRUE(IsUtf8(c.text));
  }
  // The language button names the language it leads back to.
  EXPECT_TRUE(seen.count({IDD_VELA_DIALOG, 1040}));
}

TEST(Utf8Check, TellsBrokenSequences) {
  EXPECT_TRUE(IsUtf8("abc 接続"));
  EXPECT_FALSE(IsUtf8("\xe6\x8e"));
  EXPECT_FALSE(IsUtf8("\xff"));
  EXPECT_FALSE(IsUtf8("a\x80"));
}

TEST(InsertScan, FindsEveryKind) {
  EXPECT_EQ(Inserts("%1 should be a from %2 to %3. "), (std::vector<std::string>{"%1", "%2", "%3"}));
  EXPECT_EQ(Inserts("%1!d! parameter(s)"), (std::vector<std::string>{"%1!d!"}));
  EXPECT_EQ(Inserts("port %s, X[%d]"), (std::vector<std::string>{"%d", "%s"}));
}

} // namespace
