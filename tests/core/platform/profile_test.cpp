// The private profile document: Windows profile rules on real files.
#include "core/platform/codepage.h"
#include "core/platform/profile.h"
#include "test_env.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Entries of the test folder besides its own config folder.
long FilesIn(const std::string &folder) {
  long count = 0;
  for (const auto &entry : fs::directory_iterator(folder))
    count += entry.path().filename() != "config";
  return count;
}

} // namespace

TEST(Profile, WritesSectionsAndKeysInOrderOfFirstWriteWithCrlf) {
  ScopedTestHome home;
  CProfileFile file;
  file.WriteString("G1", "P0", "a");
  file.WriteString("G0", "P1", "b");
  file.WriteString("G1", "P1", "c");
  file.WriteString("g1", "p0", "d"); // replaces, keeps the first spelling
  file.WriteString("G0", "P0", "");
  file.Save(home.File("x.cfg"));
  EXPECT_EQ(ReadWholeFile(home.File("x.cfg")), "[G1]\r\nP0=d\r\nP1=c\r\n[G0]\r\nP1=b\r\nP0=\r\n");
}

TEST(Profile, ReadsLfOrCrlfWithNamesInAnyCase) {
  CProfileFile file;
  file.Parse("[head]\nmodel = KT5RS \n[G0]\r\n  p0=3\r\nP1\r\n\r\n[ G1 ]\nP0=\"quoted\"\nP1='x\n");
  EXPECT_EQ(file.GetString("HEAD", "MODEL", "", 31), "KT5RS");
  EXPECT_EQ(file.GetString("Head", "Model", "", 31), "KT5RS");
  EXPECT_EQ(file.GetString("G0", "P0", "", 511), "3");
  // A key without '=' has no value: the default comes back.
  EXPECT_EQ(file.GetString("G0", "P1", "none", 511), "none");
  EXPECT_EQ(file.GetString("G1", "P0", "", 511), "quoted");
  EXPECT_EQ(file.GetString("G1", "P1", "", 511), "'x");
  EXPECT_EQ(file.GetString("G2", "P0", "dflt", 511), "dflt");
  EXPECT_EQ(file.GetString("G0", "P9", "", 511), "");
}

TEST(Profile, FirstOfDuplicatedKeysAndSectionsWins) {
  CProfileFile file;
  file.Parse("[G0]\r\nP0=1\r\nP0=2\r\n[G0]\r\nP1=3\r\n");
  EXPECT_EQ(file.GetString("G0", "P0", "", 511), "1");
  EXPECT_EQ(file.GetString("G0", "P1", "", 511), "");
  file.WriteString("G0", "P0", "9");
  EXPECT_EQ(file.GetString("G0", "P0", "", 511), "9");
  EXPECT_EQ(file.ToBytes(), "[G0]\r\nP0=9\r\nP0=2\r\n[G0]\r\nP1=3\r\n");
}

TEST(Profile, ReadLimitCountsCharacters) {
  CProfileFile file;
  const std::string longValue(600, '7');
  file.WriteString("G3", "P2", longValue);
  file.WriteString("HEAD", "MODEL", std::string(40, 'M'));
  EXPECT_EQ(file.GetString("G3", "P2", "", 511), std::string(510, '7'));
  EXPECT_EQ(file.GetString("HEAD", "MODEL", "", 31), std::string(30, 'M'));
  // Multi-byte characters are not cut in half.
  file.WriteString("G6", "P3", "\xC3\xA4\xC3\xB6\xC3\xBC"); // three umlauts
  EXPECT_EQ(file.GetString("G6", "P3", "", 3), "\xC3\xA4\xC3\xB6");
}

TEST(Profile, KeepsLinesItDoesNotUnderstandAndAddsKeysBeforeTrailingBlankLines) {
  CProfileFile file;
  file.Parse("; made by hand\n[G0]\nP0=1\n\n[G1]\nP0=2\n");
  file.WriteString("G0", "P1", "5");
  EXPECT_EQ(file.ToBytes(), "; made by hand\r\n[G0]\r\nP0=1\r\nP1=5\r\n\r\n[G1]\r\nP0=2\r\n");
}

TEST(Profile, TextGoesToTheFileInTheLinkCodePage) {
  ScopedTestHome home;
  const CodePage previous = GetLinkCodePage();
  SetLinkCodePage(CodePage::CP1252);
  CProfileFile file;
  file.WriteString("G6", "P3", "Pumpe \xC3\xBC"); // u umlaut
  file.Save(home.File("cp.cfg"));
  EXPECT_EQ(ReadWholeFile(home.File("cp.cfg")), "[G6]\r\nP3=Pumpe \xFC\r\n");
  CProfileFile back;
  ASSERT_TRUE(back.Load(home.File("cp.cfg")));
  EXPECT_EQ(back.GetString("G6", "P3", "", 511), "Pumpe \xC3\xBC");

  // Shift-JIS trail bytes that look like ']' or '[' do not end a section name or value.
  SetLinkCodePage(CodePage::CP932);
  CProfileFile jp;
  jp.Parse("[G6]\r\nP3=\x83\x5D\x83\x5B\r\n"); // katakana ZO, ZE
  EXPECT_EQ(jp.GetString("G6", "P3", "", 511), "\xE3\x82\xBE\xE3\x82\xBC");
  SetLinkCodePage(previous);
}

TEST(Profile, Utf16BehindAByteOrderMarkIsReadAsUnicode) {
  const CodePage previous = GetLinkCodePage();
  SetLinkCodePage(CodePage::CP1252);
  // [G6] P3=<e acute><katakana PO><U+1F600><lone high surrogate>x, then an odd byte.
  const std::string le = std::string("\xFF\xFE[\0G\0" "6\0]\0\r\0\n\0P\0" "3\0=\0", 20) +
                         std::string("\xE9\0\xDD\x30\x3D\xD8\x00\xDE\x3D\xD8x\0\r\0\n\0!", 17);
  CProfileFile file;
  file.Parse(le);
  const std::string expected = "\xC3\xA9\xE3\x83\x9D\xF0\x9F\x98\x80\xEF\xBF\xBDx";
  EXPECT_EQ(file.GetString("g6", "p3", "", 511), expected);
  // The same document big-endian.
  std::string be = "\xFE\xFF";
  for (std::size_t at = 2; at + 1 < le.size(); at += 2)
    be += std::string{le[at + 1], le[at]};
  file.Parse(be);
  EXPECT_EQ(file.GetString("G6", "P3", "", 511), expected);
  // The size limit counts characters here too.
  EXPECT_EQ(file.GetString("G6", "P3", "", 3), "\xC3\xA9\xE3\x83\x9D");

  // Written back it is 8-bit text in the link code page.
  file.WriteString("G6", "P3", "Pumpe \xC3\xBC");
  EXPECT_EQ(file.ToBytes(), "[G6]\r\nP3=Pumpe \xFC\r\n");

  // Without its mark, UTF-16 is only bytes in the code page, as in Windows.
  file.Parse(le.substr(2));
  EXPECT_EQ(file.GetString("G6", "P3", "none", 511), "none");
  SetLinkCodePage(previous);
}

TEST(Profile, MissingFileIsAnEmptyDocument) {
  ScopedTestHome home;
  CProfileFile file;
  EXPECT_FALSE(file.Load(home.File("none.cfg")));
  EXPECT_EQ(file.GetString("HEAD", "MODEL", "", 31), "");
  EXPECT_EQ(ReadProfileValue("HEAD", "MODEL", "dflt", 31, home.File("none.cfg")), "dflt");
}

TEST(Profile, SingleEntryCallsReadAndUpdateTheFile) {
  ScopedTestHome home;
  const std::string path = home.File("single.ini");
  ASSERT_TRUE(WriteProfileValue("S", "A", "1", path));
  ASSERT_TRUE(WriteProfileValue("S", "B", "2", path));
  ASSERT_TRUE(WriteProfileValue("s", "a", "3", path));
  EXPECT_EQ(ReadWholeFile(path), "[S]\r\nA=3\r\nB=2\r\n");
  EXPECT_EQ(ReadProfileValue("S", "B", "", 511, path), "2");
}

TEST(Profile, SaveReplacesThroughATemporaryFileAndKeepsPermissions) {
  ScopedTestHome home;
  const std::string path = home.File("keep.cfg");
  WriteWholeFile(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  CProfileFile file;
  file.WriteString("A", "B", "C");
  file.Save(path);
  EXPECT_EQ(ReadWholeFile(path), "[A]\r\nB=C\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Nothing is left beside it.
  EXPECT_EQ(FilesIn(home.Path()), 1);
}

TEST(Profile, SaveThroughASymbolicLinkReplacesItsTarget) {
  ScopedTestHome home;
  fs::create_directory(home.File("real"));
  WriteWholeFile(home.File("real/set.cfg"), "old");
  fs::create_symlink(home.File("real/set.cfg"), home.File("link.cfg"));
  CProfileFile file;
  file.WriteString("A", "B", "C");
  file.Save(home.File("link.cfg"));
  EXPECT_TRUE(fs::is_symlink(home.File("link.cfg")));
  EXPECT_EQ(ReadWholeFile(home.File("real/set.cfg")), "[A]\r\nB=C\r\n");
}

TEST(Profile, FailedSaveLeavesThePreviousFileWholeAndSaysWhy) {
  ScopedTestHome home;
  CProfileFile file;
  file.WriteString("G3", "P0", std::string(5000, '1'));

  try {
    file.Save(home.File("gone/x.cfg"));
    FAIL() << "saved into a folder that does not exist";
  } catch (const std::system_error &e) {
    EXPECT_EQ(e.code(), std::errc::no_such_file_or_directory);
  }

  // A full disk, as the file size limit makes it: the write fails half way.
  const std::string path = home.File("old.cfg");
  WriteWholeFile(path, "[HEAD]\r\nMODEL=KT5RS\r\n");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::error_code code;
  try {
    file.Save(path);
  } catch (const std::system_error &e) {
    code = e.code();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(code, std::errc::file_too_large);
  EXPECT_EQ(ReadWholeFile(path), "[HEAD]\r\nMODEL=KT5RS\r\n");
  EXPECT_EQ(FilesIn(home.Path()), 1);
}

TEST(Profile, OversizedFileIsNotRead) {
  ScopedTestHome home;
  const std::string path = home.File("huge.cfg");
  WriteWholeFile(path, "[HEAD]\r\nMODEL=KT5RS\r\n" + std::string(CProfileFile::kMaxFileSize, ';'));
  CProfileFile file;
  EXPECT_FALSE(file.Load(path));
  EXPECT_EQ(file.GetString("HEAD", "MODEL", "", 31), "");
  // Nor is it replaced by the single-entry write.
  EXPECT_FALSE(WriteProfileValue("HEAD", "X", "1", path));
  EXPECT_GT(fs::file_size(path), CProfileFile::kMaxFileSize);
}
