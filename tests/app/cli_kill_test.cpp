// A .bin write of lyricanvas-cli killed at several moments: the old image stays byte for byte and
// no other file appears in its folder, whether the new image is written unnamed or under a
// temporary name (as where /proc is missing). Also the disk refusing the file: full or read-only.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

/// Starts the tool with its output silenced; with `hide_proc` under a tmpfs over /proc, in the
/// same process, which the tool execs.
pid_t Spawn_Cli(std::vector<std::string> words, bool hide_proc) {
  words.insert(words.begin(), LYRICANVAS_CLI);
  if (hide_proc)
    words.insert(words.begin(),
                 {"unshare", "-rm", "sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" \"$@\""});
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

/// Whether the process holds a file of the folder open, as it does while writing into it.
bool Writing_Into(pid_t pid, const fs::path& folder) {
  std::error_code code;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", code)) {
    std::string target = fs::read_symlink(fd.path(), code).string();
    if (target.starts_with(folder.string() + "/")) return true;
  }
  return false;
}

struct Kill_Moment {
  int signal_number;
  std::chrono::milliseconds after;  ///< after the write began; negative: after the start
};

const Kill_Moment Moments[] = {{SIGKILL, -1ms},  {SIGKILL, 0ms}, {SIGKILL, 30ms},
                               {SIGKILL, 100ms}, {SIGTERM, 0ms}, {SIGTERM, 30ms},
                               {SIGTERM, 100ms}, {SIGINT, 30ms}, {SIGHUP, 30ms}};

TEST(CliKill, AKilledBinWriteLeavesTheOldImageAndNothingElse) {
  testing::Temp_Dir dir;
  fs::create_directory(dir.path / "in");
  Write_File(dir.File("in/song.txt"), "Hel|lo@1-1.5 there@2-3\n\nbye@5-6\n");
  testing::Write_Silent_Wav(dir.File("in/song.wav"), 20 * 60 * 176400);  // an image of ~215 MB
  const std::string image = dir.File("out/song.bin");
  const std::string old_image(100000, 'o');
  for (bool hide_proc : {false, true}) {
    if (hide_proc && !Own_Mounts_Allowed()) GTEST_SKIP() << "no mount namespaces here";
    for (Kill_Moment moment : Moments) {
      // After SIGKILL nothing can remove a named temporary file.
      if (hide_proc && moment.signal_number == SIGKILL) continue;
      SCOPED_TRACE(std::to_string(moment.signal_number) + " at " +
                   std::to_string(moment.after.count()) + " ms" + (hide_proc ? ", no /proc" : ""));
      fs::remove_all(dir.path / "out");
      fs::create_directory(dir.path / "out");
      Write_File(image, old_image);
      pid_t pid = Spawn_Cli({"create", dir.File("in/song.txt"), "--wav", dir.File("in/song.wav"),
                             "-o", image, "--yes"},
                            hide_proc);
      ASSERT_GT(pid, 0);
      bool writing = moment.after < 0ms;
      for (auto give_up = std::chrono::steady_clock::now() + 60s;
           !writing && std::chrono::steady_clock::now() < give_up; std::this_thread::sleep_for(1ms))
        writing = Writing_Into(pid, dir.path / "out");
      std::this_thread::sleep_for(std::max(moment.after, 0ms));
      int status = 0;
      EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "the run ended before it was killed";
      ::kill(pid, moment.signal_number);
      ::waitpid(pid, &status, 0);
      EXPECT_TRUE(writing);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == moment.signal_number);
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "out"), {}), 1);
      EXPECT_TRUE(Read_File(image) == old_image);
    }
  }
}

TEST(CliDiskRefusals, AFullOrReadOnlyDiskIsNamedAndTheOldFileKept) {
  if (!Own_Mounts_Allowed()) GTEST_SKIP() << "no mount namespaces here";
  testing::Temp_Dir dir;
  Write_File(dir.File("song.txt"), "Hel|lo@1-1.5 there@2-3\n");
  testing::Write_Silent_Wav(dir.File("song.wav"), 10 * 176400);
  fs::create_directory(dir.File("disk"));
  struct Case {
    const char* mount_options;
    const char* words;
    const char* message;
  };
  // The disk holds three old files of 100 kB and has no room for more; "ro" makes it read-only.
  for (const Case& c :
       {Case{"rw", "create song.txt --wav song.wav -o disk/song.bin --yes",
             "Cannot write 'disk/song.bin': the disk is full (No space left on device)"},
        {"rw", "create song.txt --total 0:30 -o disk/song.cdg --yes",
         "Cannot write 'disk/song.cdg': the disk is full"},
        {"rw", "frame disk/song.cdg --at 0 -o disk/song.cdg.png --yes",
         "Cannot write 'disk/song.cdg.png': the disk is full"},
        {"ro", "create song.txt --wav song.wav -o disk/song.bin --yes",
         "Cannot create 'disk/song.bin': Read-only file system"},
        {"ro", "import song.txt -o disk/song.cgp", "Read-only file system"},
        {"ro", "frame disk/song.cdg --at 0 -o disk/frame.png",
         "Cannot create 'disk/frame.png': Read-only file system"}}) {
    SCOPED_TRACE(c.words);
    const std::string script =
        "cd " + dir.path.string() + " && mount -t tmpfs -o size=300k tmpfs disk && " +
        "for f in song.bin song.cdg song.cdg.png; do head -c 100000 /dev/zero > disk/$f; done; " +
        "mount -o remount," + c.mount_options + " disk && \"" LYRICANVAS_CLI "\" " + c.words +
        "; echo exit=$?; ls -A disk | tr \"\\n\" \" \"; echo; " +
        "cmp -s -n 100000 disk/song.bin /dev/zero && [ $(stat -c %s disk/song.bin) = 100000 ] " +
        "&& echo kept";
    const std::string output =
        testing::Run_Command("unshare -rm sh -c '" + script + "' 2>&1").output;
    EXPECT_THAT(output, HasSubstr(c.message));
    EXPECT_THAT(output, HasSubstr("exit=1"));
    EXPECT_THAT(output, HasSubstr("\nsong.bin song.cdg song.cdg.png \nkept"));
  }
}

}  // namespace
}  // namespace lyricanvas
