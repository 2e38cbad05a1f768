// A .bin write of lyricanvas-cli killed at several moments: the old image stays byte for byte and
// no other file appears in its folder, whether the new image is written unnamed or under a
// temporary name (as where /proc is missing). Also the disk refusing the file: full or read-only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <thread>

#include "cli_folder.h"

extern char** environ;

namespace lyricanvas {
namespace {

using ::testing::HasSubstr;
using testing::Read_File;
using testing::Write_File;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// Whether this system lets a process have mounts of its own, for a tmpfs over /proc or a disk.
bool Own_Mounts_Allowed() {
  return testing::Run_Command("unshare -rm true 2>/dev/null").exit_code == 0;
}

/// Starts a .bin write of the tool in the folder, its output silenced; with `hide_proc` under a
/// tmpfs over /proc. The shells exec, so the process is the tool.
pid_t Start_Bin_Write(const std::string& folder, bool hide_proc) {
  std::string run = "cd " + folder +
                    " && exec '" LYRICANVAS_CLI
                    "' create song.txt --wav song.wav -o out/song.bin --yes >/dev/null 2>&1";
  if (hide_proc) run = "exec unshare -rm sh -c \"mount -t tmpfs none /proc && " + run + "\"";
  const char* argv[] = {"sh", "-c", run.c_str(), nullptr};
  pid_t pid = -1;
  posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ);
  return pid;
}

/// A signal and when it comes: after the write began, or when negative after the start.
const std::pair<int, std::chrono::milliseconds> Moments[] = {
    {SIGKILL, -1ms}, {SIGKILL, 0ms},   {SIGKILL, 30ms}, {SIGKILL, 100ms}, {SIGTERM, 0ms},
    {SIGTERM, 30ms}, {SIGTERM, 100ms}, {SIGINT, 30ms},  {SIGHUP, 30ms}};

TEST(CliKill, AKilledBinWriteLeavesTheOldImageAndNothingElse) {
  testing::Temp_Dir dir;
  Write_File(dir.File("song.txt"), "Hel|lo@1-1.5 there@2-3\n\nbye@5-6\n");
  testing::Write_Silent_Wav(dir.File("song.wav"), 20 * 60 * 176400);  // an image of ~215 MB
  const std::string image = dir.File("out/song.bin");
  const std::string old_image(100000, 'o');
  const std::string whole = dir.File("whole.bin");
  ASSERT_EQ(testing::Run_Command("cd " + dir.path.string() +
                                 " && '" LYRICANVAS_CLI
                                 "' create song.txt --wav song.wav -o whole.bin >/dev/null")
                .exit_code,
            0);
  for (bool hide_proc : {false, true}) {
    if (hide_proc && !Own_Mounts_Allowed()) GTEST_SKIP() << "no mount namespaces here";
    int killed_while_writing = 0;
    for (auto [signal_number, after] : Moments) {
      // After SIGKILL nothing can remove a named temporary file.
      if (hide_proc && signal_number == SIGKILL) continue;
      SCOPED_TRACE(std::to_string(signal_number) + " at " + std::to_string(after.count()) + " ms" +
                   (hide_proc ? ", no /proc" : ""));
      fs::remove_all(dir.path / "out");
      fs::create_directory(dir.path / "out");
      Write_File(image, old_image);
      pid_t pid = Start_Bin_Write(dir.path.string(), hide_proc);
      ASSERT_GT(pid, 0);
      // Until the tool holds a file of out/ open, as it does while writing into it.
      const std::string wait = "timeout 60 sh -c 'until ls -l /proc/" + std::to_string(pid) +
                               "/fd 2>/dev/null | grep -q out/; do sleep 0.001; done'";
      const bool writing = after < 0ms || testing::Run_Command(wait).exit_code == 0;
      std::this_thread::sleep_for(std::max(after, 0ms));
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == 0) {  // a fast machine may have finished already
        ::kill(pid, signal_number);
        ::waitpid(pid, &status, 0);
      }
      const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
      const bool kept = Read_File(image) == old_image;
      EXPECT_TRUE(writing);
      EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "out"), {}), 1);
      // Killed before the image was linked into place: the old one; after: the whole new one.
      EXPECT_TRUE(kept || testing::Run_Command("cmp -s " + image + " " + whole).exit_code == 0);
      killed_while_writing += killed && kept;
    }
    EXPECT_GE(killed_while_writing, 1) << "no kill came while the image was being written";
  }
}

TEST(CliDiskRefusals, AFullOrReadOnlyDiskIsNamedAndTheOldFileKept) {
  if (!Own_Mounts_Allowed()) GTEST_SKIP() << "no mount namespaces here";
  testing::Temp_Dir dir;
  Write_File(dir.File("song.txt"), "Hel|lo@1-1.5 there@2-3\n");
  testing::Write_Silent_Wav(dir.File("song.wav"), 10 * 176400);
  fs::create_directory(dir.File("disk"));
  // The disk holds three old files of 100 kB and has no room for more; "ro" makes it read-only.
  for (auto [mount_options, words, message] : std::vector<std::array<const char*, 3>>{
           {"rw", "create song.txt --wav song.wav -o disk/a.bin --yes",
            "Cannot write 'disk/a.bin': the disk is full (No space left on device)"},
           {"rw", "create song.txt --total 30 -o disk/a.cdg --yes",
            "'disk/a.cdg': the disk is full"},
           {"rw", "frame disk/a.cdg --at 0 -o disk/a.png --yes", "'disk/a.png': the disk is full"},
           {"ro", "create song.txt --wav song.wav -o disk/a.bin --yes",
            "Cannot create 'disk/a.bin': Read-only file system"},
           {"ro", "import song.txt -o disk/song.cgp", "as disk/song.cgp: Read-only file system"},
           {"ro", "frame disk/a.cdg --at 0 -o disk/f.png",
            "'disk/f.png': Read-only file system"}}) {
    SCOPED_TRACE(words);
    const std::string script =
        "cd " + dir.path.string() + " && mount -t tmpfs -o size=300k tmpfs disk && " +
        "for f in a.bin a.cdg a.png; do head -c 100000 /dev/zero > disk/$f; done; " +
        "mount -o remount," + mount_options + " disk && \"" LYRICANVAS_CLI "\" " + words +
        "; echo exit=$?; ls -A disk | tr \"\\n\" \" \"; echo; " +
        "[ \"$(cat disk/* | md5sum)\" = \"$(head -c 300000 /dev/zero | md5sum)\" ] && echo kept";
    const std::string output =
        testing::Run_Command("unshare -rm sh -c '" + script + "' 2>&1").output;
    EXPECT_THAT(output, HasSubstr(message));
    EXPECT_THAT(output, HasSubstr("exit=1"));
    EXPECT_THAT(output, HasSubstr("\na.bin a.cdg a.png \nkept"));
  }
}

}  // namespace
}  // namespace lyricanvas
