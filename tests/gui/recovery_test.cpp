#include "app/window/recovery.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using RecoveryCopy = Window_Test;

constexpr char Child_Folder_Variable[] = "LYRICANVAS_TEST_RECOVERY_FOLDER";
constexpr char Lost_Words[] = "words that were never saved";

/// Runs in a child process: types into a window until its recovery copy is on disk, then
/// waits to be killed.
TEST(RecoveryChild, TypesAndWaitsToBeKilled) {
  const char* folder = std::getenv(Child_Folder_Variable);
  if (!folder)
    GTEST_SKIP() << "runs only as the child of AKilledProgramsWorkComesBackUnlessDeclined";
  Window_Under_Test w(folder, 50);
  w.song().Project_File = std::string(folder) + "/../song.cgp";
  w.Show_Tab(1);
  w.Editor()->clear();
  w.Type_Lyrics(QString::fromLatin1(Lost_Words));
  Wait_Until([&] { return w->recovery().Has_Copy(); });
  for (;;) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
}

bool Has_Copy_File(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (entry.path().extension() == ".cgp") return true;
  return false;
}

TEST_F(RecoveryCopy, AKilledProgramsWorkComesBackUnlessDeclined) {
  const std::string folder = File("recovery");
  std::filesystem::create_directories(folder);
  for (Answer answer : {Answer::No, Answer::Yes}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv(Child_Folder_Variable, folder.c_str(), 1);
      freopen("/dev/null", "w", stdout);
      const std::string self = QCoreApplication::applicationFilePath().toStdString();
      execl(self.c_str(), self.c_str(), "--gtest_filter=RecoveryChild.TypesAndWaitsToBeKilled",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    const bool written = Wait_Until([&] { return Has_Copy_File(folder); }, 30'000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(written);

    auto w = Open_Window();
    w->fake.answers.push_back(answer);
    (*w)->Start_Up("");
    ASSERT_EQ(w->fake.questions.size(), 1u);
    EXPECT_NE(w->fake.questions[0].find("song.cgp"), std::string::npos);
    if (answer == Answer::No) {  // the copy goes with the work
      EXPECT_NE(w->song().RTB_Raw.Text(), QString::fromLatin1(Lost_Words));
      EXPECT_FALSE(Has_Copy_File(folder));
      continue;
    }
    EXPECT_EQ(w->song().RTB_Raw.Text(), QString::fromLatin1(Lost_Words));
    EXPECT_EQ(std::filesystem::path(w->song().Project_File).filename(), "song.cgp");
    EXPECT_TRUE((*w)->Unsaved_Changes());
    // The old copy is gone; the restored work has a copy of this window instead.
    EXPECT_TRUE((*w)->recovery().Has_Copy());
    auto again = Open_Window();
    again->fake.answers.push_back(Answer::Yes);
    again->window->Start_Up("");
    EXPECT_TRUE(again->fake.questions.empty());  // the running window's copy is not an orphan
  }
}

}  // namespace
}  // namespace lyricanvas::testing
