// The atomic writer on every kind of target, and the files it removes when a signal ends the
// process. The reasons for refusing special files are checked through the command-line tool.
#include "model/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

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

TEST(AtomicFile, NothingNamedAppearsBeforeCommitTheModeAndLinksAreKeptAndAbandoningLeavesNothing) {
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
  EXPECT_EQ(Read_File(path), written);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  { Atomic_File(path).Append(std::string_view("new")); }
  EXPECT_EQ(Read_File(path), written);
  EXPECT_EQ(Names_In(dir.path), std::vector<std::string>{"out.bin"});
  // A dangling link makes the file it names; a missing folder is refused.
  fs::create_symlink("new.bin", dir.File("dangling.bin"));
  File_Error error;
  ASSERT_TRUE(Write(dir.File("dangling.bin"), "made", error)) << error.reason;
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.bin")));
  EXPECT_EQ(Read_File(dir.File("new.bin")), "made");
  EXPECT_FALSE(Write(dir.File("none/out.bin"), "x", error));
  EXPECT_EQ(error.what + ": " + error.reason, "Cannot create: No such file or directory");
  EXPECT_EQ(Names_In(dir.path), (std::vector<std::string>{"dangling.bin", "new.bin", "out.bin"}));
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
    pid_t pid = ::fork();
    if (pid == 0) {
      if (c.ignored) ::signal(c.signal_number, SIG_IGN);
      Remove_On_Signal(dir.File("temporary"));
      Remove_On_Signal(dir.File("kept"));
      Keep_On_Signal(dir.File("kept"));
      ::raise(c.signal_number);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : 0, c.ignored ? 0 : c.signal_number);
    EXPECT_EQ(Names_In(dir.path), (c.ignored ? std::vector<std::string>{"kept", "temporary"}
                                             : std::vector<std::string>{"kept"}));
  }
}

}  // namespace
}  // namespace lyricanvas
