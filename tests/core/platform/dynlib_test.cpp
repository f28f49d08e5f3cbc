// Loading libraries by path only, and finding the program's own place.
#include "core/platform/dynlib.h"
#include "core/platform/exe_path.h"
#include "core/resources/strings.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const std::string kJpn = std::string(VELA_BIN_DIR) + "/VELA_jpn" VELA_LIBRARY_SUFFIX;
using StringTableFn = const StringTable *();

TEST(ExePath, NamesThisTestProgram) {
  std::string path = ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(std::filesystem::path(path).is_absolute());
  EXPECT_TRUE(std::filesystem::is_regular_file(path));
  EXPECT_EQ(ExecutableBaseName(), "core_dynlib_test");
  EXPECT_EQ(ExecutableDir(), std::filesystem::path(path).parent_path().string());
#ifdef _WIN32
  EXPECT_EQ(ExecutableDir() + "\\" + ExecutableBaseName() + ".exe", path);
#else
  EXPECT_EQ(ExecutableDir() + "/" + ExecutableBaseName(), path);
#endif
}

TEST(DynLib, OpensByPathAndFindsTheExports) {
  CDynLib lib(kJpn);
  ASSERT_TRUE(lib.IsOpen()) << lib.Error();
  EXPECT_EQ(lib.Path(), kJpn);
  auto *fn = lib.Function<StringTableFn>("VelaStringTable");
  ASSERT_NE(fn, nullptr);
  const char *text = FindString(*fn(), 13000);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "接続");
  EXPECT_EQ(lib.Symbol("NoSuchExport"), nullptr);
  EXPECT_FALSE(lib.Error().empty());
  lib.Close();
  EXPECT_FALSE(lib.IsOpen());
  EXPECT_EQ(lib.Symbol("VelaStringTable"), nullptr);
}

TEST(DynLib, RefusesANameThatTheLoaderWouldSearchFor) {
  // Even a name that the loader could find somewhere must not be loaded
  // without a folder: the program says where its libraries are.
  CDynLib lib;
  EXPECT_FALSE(lib.Open("VELA_jpn.so"));
  EXPECT_FALSE(lib.Open("libc.so.6"));
  EXPECT_FALSE(lib.IsOpen());
  EXPECT_FALSE(lib.Error().empty());
}

TEST(DynLib, MissingOrBrokenFilesFailCleanly) {
  ScopedTestHome home;
  CDynLib lib;
  EXPECT_FALSE(lib.Open(home.File("absent.so")));
  EXPECT_FALSE(lib.Error().empty());
  WriteWholeFile(home.File("broken.so"), "this is not a shared object");
  EXPECT_FALSE(lib.Open(home.File("broken.so")));
  EXPECT_FALSE(lib.IsOpen());
}

TEST(DynLib, MovesOwnership) {
  CDynLib a(kJpn);
  ASSERT_TRUE(a.IsOpen());
  CDynLib b(std::move(a));
  EXPECT_FALSE(a.IsOpen());
  EXPECT_TRUE(b.IsOpen());
  CDynLib c;
  c = std::move(b);
  EXPECT_FALSE(b.IsOpen());
  ASSERT_TRUE(c.IsOpen());
  EXPECT_NE(c.Symbol("VelaTemplateCaptions"), nullptr);
  // A failed open leaves nothing open behind.
  EXPECT_FALSE(c.Open("/nonexistent/VELA_jpn.so"));
  EXPECT_FALSE(c.IsOpen());
}

} // namespace
