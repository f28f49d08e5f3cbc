// Configuration files of the KT5RS and KT7W models on real files.
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"
#include "core/platform/codepage.h"
#include "core/resources/string_ids.h"
#include "test_env.h"

#include <clocale>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

// Switches the whole C locale for the scope, like a program that follows the
// user's settings does.
class ScopedLocale {
public:
  explicit ScopedLocale(const char *name) {
    const char *current = std::setlocale(LC_ALL, nullptr);
    m_saved = current != nullptr ? current : "C";
    m_active = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, m_saved.c_str()); }
  bool Active() const { return m_active; }

private:
  std::string m_saved;
  bool m_active = false;
};

// Entries of the test folder besides its own config folder.
long FilesIn(const std::string &folder) {
  long count = 0;
  for (const auto &entry : fs::directory_iterator(folder))
    count += entry.path().filename() != "config";
  return count;
}

std::string FreshKT5RSFile() {
  std::string text = "[G0]\r\nP0=0\r\nP1=0\r\n"
                     "[G1]\r\nP0=0.0000\r\nP1=0.0000\r\nP2=0.0000\r\nP3=100.0000\r\n"
                     "[G2]\r\nP0=0.0000\r\nP1=100.0000\r\n"
                     "[G3]\r\nP0=0\r\nP1=3\r\n";
  for (int k = 0; k < 101; ++k) {
    const char *value = k == 0 ? "-15.0000" : k == 1 ? "50.0000" : k == 2 ? "115.0000" : "0.0000";
    text += "P" + std::to_string(2 + 2 * k) + "=" + value + "\r\n";
    text += "P" + std::to_string(3 + 2 * k) + "=" + value + "\r\n";
  }
  text += "[G4]\r\nP0=0.0000\r\nP1=20.0000\r\n"
          "[G5]\r\nP0=0\r\nP1=0.0000\r\nP2=100.0000\r\n"
          "[G6]\r\nP0=\r\nP1=\r\nP2=\r\nP3=\r\n"
          "[HEAD]\r\nMODEL=KT5RS\r\n";
  return text;
}

// Every value of the blocks a file carries (0 to 5).
std::vector<std::string> Values(const CParBase &m) {
  std::vector<std::string> values;
  for (int block = 0; block < 6; ++block)
    for (int item = 0; item < m.GetItemCount(block); ++item)
      values.push_back(m.GetValueString(block, item));
  return values;
}

void Edit(CParKT5RS &m) {
  m.SetValue(0, 0, 3);
  m.SetValue(0, 1, 2);
  m.SetValueString(1, 0, "2.5");
  m.SetValueString(1, 1, "-13.04");
  m.SetValueString(1, 2, "0.0001");
  m.SetValueString(1, 3, "99.5");
  m.SetValueString(2, 0, "10");
  m.SetValueString(2, 1, "11.6666");
  m.SetValue(3, 0, 1);
  m.SetValue(3, 1, 5);
  for (int item = 2; item < 204; ++item)
    m.SetValueString(3, item, std::to_string((item * 37) % 120 - 10) + ".1234");
  m.SetValue(5, 0, 2);
  m.SetValueString(4, 0, "-9.9");
  m.SetValueString(4, 1, "9.9");
  m.SetValueString(5, 1, "-1.5");
  m.SetValueString(5, 2, "101.25");
  m.SetValueString(6, 3, "Pump 7");
}

template <typename F> int RefusalId(F &&call, std::string *text = nullptr) {
  try {
    call();
  } catch (const CParameterException &e) {
    if (text != nullptr)
      *text = e.GetErrorMessage();
    return e.GetId();
  }
  return 0;
}

} // namespace

TEST(ConfigFile, FreshKT5RSSaveByteForByte) {
  ScopedTestHome home;
  CParKT5RS m;
  m.SaveFile(home.File("fresh.cfg"));
  EXPECT_EQ(ReadWholeFile(home.File("fresh.cfg")), FreshKT5RSFile());
}

TEST(ConfigFile, SaveThenLoadGivesTheSameSet) {
  ScopedTestHome home;
  CParKT5RS edited;
  Edit(edited);
  edited.SaveFile(home.File("set.cfg"));

  CParKT5RS loaded;
  loaded.LoadFile(home.File("set.cfg"));
  EXPECT_EQ(Values(loaded), Values(edited));
  // The device information is never taken from a file.
  EXPECT_EQ(loaded.GetValueString(6, 3), "");

  // Saving again over it leaves only the entries of the last save.
  CParKT5RS fresh;
  fresh.SaveFile(home.File("set.cfg"));
  EXPECT_EQ(ReadWholeFile(home.File("set.cfg")), FreshKT5RSFile());
}

TEST(ConfigFile, NumbersUseADecimalPointInAnyLocale) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.Active())
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  ScopedTestHome home;
  CParKT5RS edited;
  Edit(edited);
  edited.SaveFile(home.File("de.cfg"));
  const std::string bytes = ReadWholeFile(home.File("de.cfg"));
  CParKT5RS loaded;
  EXPECT_EQ(RefusalId([&] { loaded.LoadFile(home.File("de.cfg")); }), 0);
  EXPECT_NE(bytes.find("P1=-13.0400\r\n"), std::string::npos);
  EXPECT_EQ(Values(loaded), Values(edited));
}

TEST(ConfigFile, OtherModelsAndLowerCaseNamesAreRefusedBeforeAnythingChanges) {
  ScopedTestHome home;
  CParKT7W kt7w;
  kt7w.SaveFile(home.File("kt7w.cfg"));
  CParKT5RS kt5rs;
  Edit(kt5rs);
  const auto before = Values(kt5rs);

  EXPECT_EQ(RefusalId([&] { kt5rs.LoadFile(home.File("kt7w.cfg")); }), IDS_FILE_MODEL_MISMATCH);

  std::string text = FreshKT5RSFile();
  text.replace(text.find("MODEL=KT5RS"), 11, "MODEL=kt5rs");
  WriteWholeFile(home.File("lower.cfg"), text);
  std::string message;
  EXPECT_EQ(RefusalId([&] { kt5rs.LoadFile(home.File("lower.cfg")); }, &message), IDS_FILE_MODEL_MISMATCH);
  EXPECT_EQ(message, "This parameter file is not match this model.");
  EXPECT_EQ(RefusalId([&] { kt5rs.LoadFile(home.File("missing.cfg")); }), IDS_FILE_MODEL_MISMATCH);
  EXPECT_EQ(Values(kt5rs), before);

  kt5rs.SaveFile(home.File("kt5rs.cfg"));
  EXPECT_EQ(RefusalId([&] { kt7w.LoadFile(home.File("kt5rs.cfg")); }), IDS_FILE_MODEL_MISMATCH);
  // The base model's file has only one entry in G0.
  EXPECT_EQ(ReadWholeFile(home.File("kt7w.cfg")).substr(0, 16), "[G0]\r\nP0=0\r\n[G1]");
}

// A file as a Windows editor saves it as "Unicode": byte order mark, then
// each (ASCII) character as two bytes.
std::string AsUtf16(const std::string &ascii, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii)
    out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

TEST(ConfigFile, Utf16FileWithAByteOrderMarkLoadsEntryForEntryAndSavesAsBefore) {
  ScopedTestHome home;
  CParKT5RS edited;
  Edit(edited);
  edited.SaveFile(home.File("set.cfg"));
  const std::string eightBit = ReadWholeFile(home.File("set.cfg"));
  // What saving the set loaded from the 8-bit file writes (no device texts).
  CParKT5RS fromEightBit;
  fromEightBit.LoadFile(home.File("set.cfg"));
  fromEightBit.SaveFile(home.File("resaved.cfg"));
  const std::string resaved = ReadWholeFile(home.File("resaved.cfg"));

  for (bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "UTF-16BE" : "UTF-16LE");
    WriteWholeFile(home.File("unicode.cfg"), AsUtf16(eightBit, bigEndian));
    CParKT5RS loaded;
    loaded.LoadFile(home.File("unicode.cfg"));
    EXPECT_EQ(Values(loaded), Values(edited));
    // Saving over it writes the same 8-bit file a fresh save writes.
    loaded.SaveFile(home.File("unicode.cfg"));
    EXPECT_EQ(ReadWholeFile(home.File("unicode.cfg")), resaved);
  }

  // The model check still holds in UTF-16.
  std::string other = eightBit;
  other.replace(other.find("MODEL=KT5RS"), 11, "MODEL=KT7W");
  WriteWholeFile(home.File("other.cfg"), AsUtf16(other, false));
  CParKT5RS m;
  EXPECT_EQ(RefusalId([&] { m.LoadFile(home.File("other.cfg")); }), IDS_FILE_MODEL_MISMATCH);
}

TEST(ConfigFile, RangeEndsAreCheckedAgainstTheLoadedTypes) {
  ScopedTestHome home;
  // A file of input type 2 and output type 1 with ends that only fit those
  // types, G5 before G0 and the type entries after the ends.
  std::string text =
      "[HEAD]\r\nMODEL=KT5RS\r\n[G5]\r\nP2=100\r\nP1=0\r\nP0=1\r\n[G4]\r\nP0=-2.4\r\nP1=2.4\r\n"
      "[G2]\r\nP1=1.5\r\nP0=0.5\r\n[G0]\r\nP1=1\r\nP0=2\r\n[G1]\r\nP0=0\r\nP1=0\r\nP2=0\r\nP3=100\r\n"
      "[G3]\r\nP0=0\r\nP1=3\r\n";
  for (int item = 2; item < 204; ++item)
    text += "p" + std::to_string(item) + "=1\n";
  WriteWholeFile(home.File("order.cfg"), text);
  CParKT5RS m;
  m.LoadFile(home.File("order.cfg"));
  EXPECT_EQ(m.GetValue(0, 0), 2);
  EXPECT_EQ(m.GetValue(2, 0), 5000);
  EXPECT_EQ(m.GetValue(2, 1), 15000);
  EXPECT_EQ(m.GetValue(5, 0), 1);
  EXPECT_EQ(m.GetValue(4, 0), -24000);
  EXPECT_EQ(m.GetValue(3, 203), 10000);
}

TEST(ConfigFile, ZeroPercentAboveItsPartnerIsRefusedForZeroPercentInput) {
  ScopedTestHome home;
  std::string text = FreshKT5RSFile();
  text.replace(text.find("[G2]\r\nP0=0.0000\r\nP1=100.0000"), 29, "[G2]\r\nP0=100.0000\r\nP1=0.0000");
  WriteWholeFile(home.File("g2.cfg"), text);
  CParKT5RS m;
  std::string message;
  EXPECT_EQ(RefusalId([&] { m.LoadFile(home.File("g2.cfg")); }, &message), IDS_RANGE_ERROR);
  EXPECT_EQ(message, "0% input should be a from 0.0000 to 90.0000. ");
}

TEST(ConfigFile, MissingTableEntryNamesItsPoint) {
  ScopedTestHome home;
  std::string text = FreshKT5RSFile();
  text.erase(text.find("P150=0.0000\r\n"), 13);
  WriteWholeFile(home.File("p150.cfg"), text);
  CParKT5RS m;
  std::string message;
  EXPECT_EQ(RefusalId([&] { m.LoadFile(home.File("p150.cfg")); }, &message), IDS_RANGE_ERROR);
  EXPECT_EQ(message, "X[74] should be a from -15.0000 to 115.0000. ");
}

TEST(ConfigFile, MissingChoiceReadsAsZeroAndMissingPointsAreRefused) {
  ScopedTestHome home;
  std::string text = FreshKT5RSFile();
  text.erase(text.find("[G3]\r\nP0=0\r\nP1=3\r\n") + 12, 6);
  WriteWholeFile(home.File("points.cfg"), text);
  CParKT5RS m;
  std::string message;
  EXPECT_EQ(RefusalId([&] { m.LoadFile(home.File("points.cfg")); }, &message), IDS_RANGE_ERROR);
  EXPECT_EQ(message, "Number of points should be a from 2 to 101. ");
}

TEST(ConfigFile, TypeCodeOutsideItsListIsRefusedBurnoutAndLinearizationCodesAreKept) {
  ScopedTestHome home;
  std::string text = FreshKT5RSFile();
  text.replace(text.find("[G0]\r\nP0=0"), 10, "[G0]\r\nP0=9");
  WriteWholeFile(home.File("type.cfg"), text);
  CParKT5RS m;
  std::string message;
  EXPECT_EQ(RefusalId([&] { m.LoadFile(home.File("type.cfg")); }, &message), IDS_RANGE_ERROR);
  EXPECT_EQ(message, "Input type should be a from 0 to 5. ");

  // Codes that index no table stay as the file has them; the list shows
  // their digits rather than an empty text.
  text = FreshKT5RSFile();
  text.replace(text.find("P0=0\r\nP1=0\r\n[G1]"), 10, "P0=0\r\nP1=3");
  text.replace(text.find("[G3]\r\nP0=0"), 10, "[G3]\r\nP0=4");
  WriteWholeFile(home.File("codes.cfg"), text);
  m.LoadFile(home.File("codes.cfg"));
  EXPECT_EQ(m.GetValueText(0, 1), "3");
  EXPECT_EQ(m.GetValueText(3, 0), "4");
  m.SaveFile(home.File("again.cfg"));
  EXPECT_EQ(ReadWholeFile(home.File("again.cfg")), text);
}

TEST(ConfigFile, FileOverOneMebibyteIsAFailedLoad) {
  ScopedTestHome home;
  const std::string text = FreshKT5RSFile();
  const std::string path = home.File("padded.cfg");
  // Blank lines are all it takes to make a file large.
  WriteWholeFile(path, text + std::string((1u << 20) - text.size(), '\n'));
  CParKT5RS m;
  m.SetValue(1, 0, 25000);
  EXPECT_EQ(RefusalId([&] { m.LoadFile(path); }), 0);
  EXPECT_EQ(m.GetValue(1, 0), 0);

  m.SetValue(1, 0, 25000);
  WriteWholeFile(path, text + std::string((1u << 20) - text.size() + 1, '\n'));
  EXPECT_EQ(RefusalId([&] { m.LoadFile(path); }), IDS_LOAD_FILE_FAILED);
  EXPECT_EQ(m.GetValue(1, 0), 25000);
}

TEST(ConfigFile, HandMadeFileWithLfEndsAndOddCaseLoads) {
  ScopedTestHome home;
  std::string text = FreshKT5RSFile();
  std::string lf;
  for (char c : text)
    if (c != '\r')
      lf += c;
  lf.replace(lf.find("[HEAD]\nMODEL=KT5RS"), 18, "[head]\nModel = KT5RS");
  lf.replace(lf.find("[G1]\nP0=0.0000\nP1=0.0000"), 24, "[g1]\np0=0.5\n  P1 = 7.25");
  lf.replace(lf.find("[G6]\nP0=\nP1=\nP2=\nP3="), 20, "[G6]\nP0=XX\nP1=\nP2=\nP3=other");
  WriteWholeFile(home.File("lf.cfg"), lf);
  CParKT5RS m;
  m.LoadFile(home.File("lf.cfg"));
  EXPECT_EQ(m.GetValue(1, 0), 5000);
  EXPECT_EQ(m.GetValue(1, 1), 72500);
  EXPECT_EQ(m.GetValueString(6, 0), "");
  EXPECT_EQ(m.GetValueString(6, 3), "");
}

TEST(ConfigFile, DeviceTextsAreWrittenInTheLinkCodePage) {
  ScopedTestHome home;
  const CodePage previous = GetLinkCodePage();
  SetLinkCodePage(CodePage::CP932);
  CParKT5RS m;
  m.SetValueString(6, 3, "\xE3\x83\x9D\xE3\x83\xB3\xE3\x83\x97"); // katakana PONPU
  m.SaveFile(home.File("jp.cfg"));
  SetLinkCodePage(previous);
  EXPECT_NE(ReadWholeFile(home.File("jp.cfg")).find("P3=\x83\x7C\x83\x93\x83\x76\r\n"), std::string::npos);
}

TEST(ConfigFile, FailedSaveIsReportedWithItsReasonAndKeepsTheOldFile) {
  ScopedTestHome home;
  CParKT5RS m;
  std::string message;
  EXPECT_EQ(RefusalId([&] { m.SaveFile(home.File("no/such/folder/x.cfg")); }, &message),
            IDS_SAVE_FILE_FAILED);
  EXPECT_EQ(message, "Save parameter file failed.\nNo such file or directory");

  const std::string path = home.File("old.cfg");
  m.SaveFile(path);
  const std::string old = ReadWholeFile(path);
  Edit(m);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 2048;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const int id = RefusalId([&] { m.SaveFile(path); }, &message);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(id, IDS_SAVE_FILE_FAILED);
  EXPECT_EQ(message, "Save parameter file failed.\nFile too large");
  EXPECT_EQ(ReadWholeFile(path), old);
  EXPECT_EQ(FilesIn(home.Path()), 1);
}
