#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "base/bytes.h"
#include "tests/run_program.h"

namespace {

TEST(PlatformTest, ReplaceRefusesAFileChangedSinceItWasRead) {
  ScratchDirectory dir;
  const std::string path = dir / "a.c";
  writeFile(path, "first");
  Bytes text;
  FileStamp stamp;
  ASSERT_EQ(ReadResult::kOk, readWholeFile(path, &text, nullptr, &stamp));
  EXPECT_EQ(5u, stamp.size);
  writeFile(path, "second");
  std::string reason;
  EXPECT_EQ(ReplaceResult::kChanged,
            replaceUnchangedFile(path, "sorted", stamp, &reason));
  EXPECT_EQ("second", readFile(path));
  ASSERT_EQ(ReadResult::kOk, readWholeFile(path, &text, nullptr, &stamp));
  EXPECT_EQ(ReplaceResult::kDone,
            replaceUnchangedFile(path, "sorted", stamp, &reason));
  EXPECT_EQ("sorted", readFile(path));
  std::remove(path.c_str());
  EXPECT_EQ(ReplaceResult::kChanged,
            replaceUnchangedFile(path, "again", stamp, &reason));
  EXPECT_TRUE(listDirectory(dir.path()).empty());
}

TEST(PlatformTest, FailuresCarryTheSystemsReason) {
  Bytes text;
  std::string reason;
  EXPECT_EQ(ReadResult::kOpenFailed,
            readWholeFile("/nonexistent/a.c", &text, &reason));
  EXPECT_EQ("No such file or directory", reason);
  EXPECT_EQ(ReadResult::kOpenFailed, readWholeFile("/tmp", &text, &reason));
  EXPECT_EQ("Is a directory", reason);
  EXPECT_FALSE(replaceFile("/nonexistent/a.c", "x", &reason));
  EXPECT_EQ("No such file or directory", reason);
  EXPECT_GE(processorCount(), 1);
}

}  // namespace
