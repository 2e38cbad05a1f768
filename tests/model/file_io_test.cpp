// Reading inputs that may be special files, and the atomic writer on every kind of target.
#include "model/file_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

using ::testing::HasSubstr;
using testing::Read_File;
using testing::Temp_Dir;
using testing::Write_File;
namespace fs = std::filesystem;

std::vector<std::string> Names_In(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool Write(const std::string& path, const std::string& bytes, File_Error& error) {
  Atomic_File file(path);
  file.Append(bytes);
  return file.Commit(error);
}

TEST(AtomicFile, NothingNamedAppearsBeforeCommitTheOldModeIsKeptAndAnAbandonedFileLeavesNothing) {
  Temp_Dir dir;
  std::string path = dir.File("out.bin");
  Write_File(path, "old");
  ::chmod(path.c_str(), 0640);
  const std::string written(3 * Atomic_File::Buffer_Size, 'x');  // reaches the disk
  {
    Atomic_File file(path);
    file.Append(written);
    EXPECT_EQ(Names_In(dir.path), std::vector<std::string>{"out.bin"});
    EXPECT_EQ(Read_File(path), "old");
    File_Error error;
    ASSERT_TRUE(file.Commit(error)) << error.reason;
  }
  EXPECT_EQ(Names_In(dir.path), std::vector<std::string>{"out.bin"});
  EXPECT_EQ(Read_File(path), written);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  { Atomic_File(path).Append(std::string_view("new")); }
  EXPECT_EQ(Read_File(path), written);
  EXPECT_EQ(Names_In(dir.path), std::vector<std::string>{"out.bin"});
}

TEST(AtomicFile, ALinkIsFollowedAndTheFileItNamesReplaced) {
  Temp_Dir dir;
  fs::create_directory(dir.File("real"));
  Write_File(dir.File("real/target.cdg"), "old");
  fs::create_symlink("real/target.cdg", dir.File("link.cdg"));
  fs::create_symlink("link.cdg", dir.File("link2.cdg"));
  fs::create_symlink("real/new.cdg", dir.File("dangling.cdg"));
  File_Error error;
  ASSERT_TRUE(Write(dir.File("link2.cdg"), "new", error)) << error.reason;
  EXPECT_TRUE(fs::is_symlink(dir.File("link2.cdg")));
  EXPECT_TRUE(fs::is_symlink(dir.File("link.cdg")));
  EXPECT_EQ(Read_File(dir.File("real/target.cdg")), "new");
  ASSERT_TRUE(Write(dir.File("dangling.cdg"), "made", error)) << error.reason;
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.cdg")));
  EXPECT_EQ(Read_File(dir.File("real/new.cdg")), "made");
  EXPECT_EQ(Names_In(dir.path / "real"), (std::vector<std::string>{"new.cdg", "target.cdg"}));
}

TEST(FileIo, RegularFilesAreReadAndEverythingElseIsRefusedWithTheReasonWithoutBlocking) {
  Temp_Dir dir;
  Write_File(dir.File("ten.txt"), "0123456789");
  fs::create_symlink("ten.txt", dir.File("link.txt"));
  fs::create_directory(dir.File("folder"));
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", dir.File("link"));
  struct Case {
    std::string path;
    std::uint64_t limit;
    const char* reason;      ///< why reading is refused; nullptr: read whole
    const char* write_what;  ///< how writing is refused, for the same reason; nullptr: not written
  };
  for (const Case& c :
       {Case{dir.File("ten.txt"), 10, nullptr, nullptr},
        {dir.File("link.txt"), 10, nullptr, nullptr},
        {dir.File("ten.txt"), 9, "it is 0.0 MB (10 bytes), more than the 0.0 MB", nullptr},
        {dir.File("folder"), 100, "it is a directory, not a regular file", "Cannot replace"},
        {dir.File("fifo"), 100, "it is a FIFO, not a regular file", "Cannot replace"},
        {dir.File("link"), 100, "it is a FIFO, not a regular file", "Cannot replace"},
        {"/dev/zero", 100, "it is a character device, not a regular file", nullptr},
        {dir.File("none/out.cdg"), 100, "No such file or directory", "Cannot create"}}) {
    SCOPED_TRACE(c.path);
    std::string reason;
    std::optional<std::string> bytes = Read_Whole_File(c.path, &reason, c.limit);
    if (!c.reason) {
      ASSERT_TRUE(bytes) << reason;
      EXPECT_EQ(*bytes, "0123456789");
    } else {
      EXPECT_FALSE(bytes);
      EXPECT_THAT(reason, HasSubstr(c.reason));
    }
    if (!c.write_what) continue;
    File_Error error;
    EXPECT_FALSE(Write(c.path, "x", error));
    EXPECT_EQ(error.what, c.write_what);
    EXPECT_EQ(error.reason, c.reason);
    EXPECT_NE(error.number, 0);
  }
  EXPECT_TRUE(fs::is_fifo(dir.File("fifo")));
  EXPECT_TRUE(fs::is_empty(dir.File("folder")));
  EXPECT_EQ(Names_In(dir.path),
            (std::vector<std::string>{"fifo", "folder", "link", "link.txt", "ten.txt"}));
}

/// The way a forked child ended after it ran `body`.
int Child_Signal(const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

TEST(RemoveOnSignal, TheFilesGoAndTheSignalStillEndsTheProcessUnlessIgnored) {
  struct Case {
    int signal_number;
    bool ignored;  ///< an ignored signal stays ignored: the process goes on, the file stays
  };
  for (const Case& c : {Case{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGHUP, true}}) {
    SCOPED_TRACE(std::to_string(c.signal_number) + (c.ignored ? " ignored" : ""));
    Temp_Dir dir;
    Write_File(dir.File("temporary"), "x");
    Write_File(dir.File("kept"), "x");
    int ended_by = Child_Signal([&] {
      if (c.ignored) ::signal(c.signal_number, SIG_IGN);
      Remove_On_Signal(dir.File("temporary"));
      Remove_On_Signal(dir.File("kept"));
      Keep_On_Signal(dir.File("kept"));
      ::raise(c.signal_number);
    });
    EXPECT_EQ(ended_by, c.ignored ? 0 : c.signal_number);
    EXPECT_EQ(Names_In(dir.path), (c.ignored ? std::vector<std::string>{"kept", "temporary"}
                                             : std::vector<std::string>{"kept"}));
  }
}

}  // namespace
}  // namespace lyricanvas
