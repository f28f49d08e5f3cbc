// Table files: the exact bytes written, what reads back, the structure rules
// and the point limit, and that a failed write keeps the previous file.
#include "core/resources/string_ids.h"
#include "test_env.h"
#include "core/tools/table_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

int ReadFailure(const std::string &path) {
  CTableFile table;
  table.Add(1, 1);
  try {
    table.Read(path);
  } catch (const CTableFileException &e) {
    EXPECT_EQ(table.Size(), 0u);
    return e.GetId();
  }
  return 0;
}

std::string Points(int n) {
  std::string text = "{\n";
  for (int k = 0; k < n; ++k)
    text += std::to_string(k) + ", " + std::to_string(k) + "\n";
  return text + "}\n";
}

TEST(TableFile, WritesBracesAndFourDecimalsWithCrLfAndReadsBack) {
  ScopedTestHome home;
  CTableFile table;
  table.Add(0, 0);
  table.Add(100, 100);
  table.Add(-12.34567, 1e-5);
  table.Write(home.File("t.txt"));
  EXPECT_EQ(ReadWholeFile(home.File("t.txt")),
            "{\r\n0.0000, 0.0000\r\n100.0000, 100.0000\r\n-12.3457, 0.0000\r\n}\r\n");

  CTableFile back;
  back.Read(home.File("t.txt"));
  EXPECT_EQ(back.X, (std::vector<double>{0, 100, -12.3457}));
  EXPECT_EQ(back.Y, (std::vector<double>{0, 100, 0}));
}

TEST(TableFile, ReadsCommentsTitlesAndThePointRuleLikeTheInstrumentSoftware) {
  ScopedTestHome home;
  WriteWholeFile(home.File("t.txt"), "My table\n{ 1, 1\n  // note\n\n\t12.5,50\n12.5, 50 trailing\n"
                                     "12.5 ,50\n/ also a comment\nnot a point\n3,4\n}\nafter, 9\n");
  CTableFile table;
  table.Read(home.File("t.txt"));
  EXPECT_EQ(table.X, (std::vector<double>{12.5, 12.5, 3}));
  EXPECT_EQ(table.Y, (std::vector<double>{50, 50, 4}));
}

TEST(TableFile, RefusesBadStructureAndTooManyPoints) {
  ScopedTestHome home;
  const std::string path = home.File("t.txt");
  EXPECT_EQ(ReadFailure(home.File("missing.txt")), IDS_TABLE_OPEN_FAILED);
  WriteWholeFile(path, "{\n}\n");
  EXPECT_EQ(ReadFailure(path), IDS_TABLE_BAD_STRUCTURE);
  WriteWholeFile(path, "{\n1, 2\n3, 4\n");
  EXPECT_EQ(ReadFailure(path), IDS_TABLE_BAD_STRUCTURE);
  WriteWholeFile(path, Points(102));
  EXPECT_EQ(ReadFailure(path), IDS_TABLE_TOO_MANY);
  WriteWholeFile(path, Points(101));
  EXPECT_EQ(ReadFailure(path), 0);

  // An empty table writes a file that does not read back.
  CTableFile().Write(path);
  EXPECT_EQ(ReadWholeFile(path), "{\r\n}\r\n");
  EXPECT_EQ(ReadFailure(path), IDS_TABLE_BAD_STRUCTURE);
}

#ifndef _WIN32 // a full disk is made with a file size limit
TEST(TableFile, AFailedWriteKeepsThePreviousFile) {
  ScopedTestHome home;
  const std::string path = home.File("t.txt");
  CTableFile table;
  table.Add(1, 2);
  table.Write(path);
  const std::string before = ReadWholeFile(path);

  auto failureOf = [&table](const std::string &target) {
    try {
      table.Write(target);
    } catch (const CTableFileException &e) {
      return e.GetId();
    }
    return 0;
  };
  EXPECT_EQ(failureOf(home.File("no/such/folder.txt")), IDS_TABLE_OPEN_FAILED);

  // A file size limit makes the writing itself fail, whoever runs the test.
  for (int k = 0; k < 50; ++k)
    table.Add(k, k);
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 64;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const int id = failureOf(path);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(id, IDS_TABLE_WRITE_FAILED);
  EXPECT_EQ(ReadWholeFile(path), before);
  for (const auto &entry : std::filesystem::directory_iterator(home.Path()))
    EXPECT_EQ(entry.path().extension(), entry.is_directory() ? "" : ".txt") << entry.path();
}
#endif

} // namespace
