#include "timing/playback_control.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/test_support.h"
#include "timing/fake_audio_player.h"

namespace lyricanvas {
namespace {

using testing::Recording_Ui;

/// The "Lyrics swiping" tab's playback with a hand-moved steady clock and, when asked, a song
/// opened in a fake player. The hooks count what the rest of the editor was asked to do.
struct Window {
  double now = 1000;
  std::unique_ptr<Song> song = std::make_unique<Song>();
  testing::Fake_Audio_Player player{now};
  Playback playback;
  Recording_Ui recorder;
  Ui ui = recorder.ui();
  int redraws = 0, area_resets = 0, key_releases = 0;
  bool timer_on = false;
  testing::Temp_Dir dir;
  std::string song_path = dir.File("song.mp3");

  explicit Window(bool with_audio) {
    playback.Clock.Player = &player;
    playback.Clock.Now = [this] { return now; };
    playback.Hooks.Redraw_View = [this] { ++redraws; };
    playback.Hooks.Reset_Areas = [this] { ++area_resets; };
    playback.Hooks.Timer1 = [this](bool on) { timer_on = on; };
    playback.Hooks.Release_Keys = [this] { ++key_releases; };
    testing::Write_File(song_path, "sound");
    if (with_audio) Open(song_path);
  }
  void Open(const std::string& path) {
    song->Window_Controls.Set_Text("txt_Filename", 0, path);
    txt_Filename_Change(*song, playback, ui, path);
  }
  Controls& controls() { return song->Window_Controls; }
  void Start(const char* at) {
    controls().Set_Text("Txt_Time", at);
    But_Start_Click(*song, playback, ui);
  }
  /// One step of the playback loop: read the clock and show it.
  void Play(double seconds) {
    now += seconds;
    Read_Song_Time(*song, playback.Clock, true);
    Show_Time(*song, playback);
  }
  void Stop() { But_Stop_Click(*song, playback, ui); }
};

TEST(PlaybackClock, StartAtAMinuteAndAHalfRunsAtTheChosenSpeed) {
  struct Case {
    bool with_audio;
    bool half_speed;
    double expected;
  };
  for (Case c : {Case{false, true, 95}, Case{false, false, 100}, Case{true, true, 95}, Case{true, false, 100}}) {
    Window w(c.with_audio);
    w.controls().Set_Check("Chk_HalfSpeed", c.half_speed ? 1 : 0);
    w.Start("1:30");
    w.Play(10);
    EXPECT_DOUBLE_EQ(w.song->Song_Time, c.expected) << c.with_audio << c.half_speed;
    EXPECT_EQ(w.controls().Text("Txt_Time"), Time_Text(c.expected));
  }
}

TEST(PlaybackClock, StopGoesBackByTheGoBackSecondsButNeverBeforeTheStart) {
  struct Case {
    double played;
    const char* go_back;
    const char* shown;
  };
  for (bool with_audio : {false, true}) {
    for (Case c : {Case{2.5, "3", "0:00"}, Case{95.2, "5", "1:30"}, Case{10, "x", "0:10"},
                   Case{10, "", "0:10"}, Case{10, "2.5", "0:07"}}) {
      Window w(with_audio);
      w.controls().Set_Text("Txt_GoBack", c.go_back);
      w.Start("0:00");
      w.Play(c.played);
      w.Stop();
      EXPECT_EQ(w.controls().Text("Txt_Time"), c.shown) << c.played << " back " << c.go_back;
      EXPECT_GE(w.song->Song_Time, 0);
      if (with_audio) EXPECT_DOUBLE_EQ(w.player.Position(), w.song->Song_Time);
      EXPECT_FALSE(w.player.running);
    }
  }
}

TEST(PlaybackClock, PlayingLocksTheTimeAndFileBoxesAndRunsTheLoop) {
  Window w(true);
  w.controls().Set_Check("Chk_Replay", 1);
  w.controls().Set_Check("Chk_Tabmode", 1);
  w.Start("0:10");
  EXPECT_TRUE(w.playback.Clock.Is_Playing);
  EXPECT_TRUE(w.timer_on);
  EXPECT_TRUE(w.player.running);
  EXPECT_DOUBLE_EQ(w.player.Position(), 10);
  EXPECT_FALSE(w.controls().Find("Txt_Time")->Enabled);
  EXPECT_FALSE(w.controls().Find("txt_Filename", 0)->Enabled);
  EXPECT_EQ(w.recorder.focused, std::vector<std::string>{"Pic_Indication"});
  int resets = w.area_resets;
  But_Start_Click(*w.song, w.playback, w.ui);  // a second Start does nothing
  EXPECT_EQ(w.area_resets, resets);
  w.Play(1);
  w.Stop();
  EXPECT_FALSE(w.timer_on);
  EXPECT_TRUE(w.controls().Find("Txt_Time")->Enabled);
  EXPECT_TRUE(w.controls().Find("txt_Filename", 0)->Enabled);
  EXPECT_EQ(w.key_releases, 1);
  EXPECT_TRUE(w.playback.Clock.Last_Action.empty());
  // Starting again plays the song already open, from where Stop left it.
  w.Start(w.controls().Text("Txt_Time").c_str());
  EXPECT_EQ(w.player.opened, 1);
  EXPECT_TRUE(w.player.running);
}

TEST(PlaybackClock, SwitchingHalfSpeedWhilePlayingContinuesWithoutAJump) {
  for (bool with_audio : {false, true}) {
    Window w(with_audio);
    w.Start("0:10");
    w.Play(4);
    w.controls().Set_Check("Chk_HalfSpeed", 1);
    Chk_HalfSpeed_Click(*w.song, w.playback, w.ui);
    EXPECT_DOUBLE_EQ(w.song->Song_Time, 14);
    w.Play(4);
    EXPECT_DOUBLE_EQ(w.song->Song_Time, 16) << with_audio;
    w.controls().Set_Check("Chk_HalfSpeed", 0);
    Chk_HalfSpeed_Click(*w.song, w.playback, w.ui);
    w.Play(1);
    EXPECT_DOUBLE_EQ(w.song->Song_Time, 17) << with_audio;
    if (with_audio) EXPECT_EQ(w.player.rate, 1.0);
  }
}

TEST(PlaybackClock, KeyBJumpsBackAndPlaybackGoesOn) {
  for (bool with_audio : {false, true}) {
    Window w(with_audio);
    w.Start("0:50");
    w.Play(2.4);
    warp_back(*w.song, w.playback, w.ui);
    EXPECT_NEAR(w.song->Song_Time, with_audio ? 47.4 : 47, 1e-9);
    EXPECT_TRUE(w.playback.Clock.Is_Playing);
    EXPECT_TRUE(w.playback.Clock.Last_Action.empty());
    w.Play(1);
    EXPECT_NEAR(w.song->Song_Time, with_audio ? 48.4 : 48, 1e-9) << with_audio;
  }
}

TEST(PlaybackClock, TheSongPlayedToItsEndStopsAtItsEnd) {
  Window w(true);
  w.player.duration = 62.5;
  w.controls().Set_Text("Txt_GoBack", "0");
  w.Start("1:00");
  w.Play(5);
  EXPECT_DOUBLE_EQ(w.song->Song_Time, 62.5);
  Check_Song_End(*w.song, w.playback, w.ui);
  EXPECT_FALSE(w.playback.Clock.Is_Playing);
  EXPECT_FALSE(w.timer_on);
  EXPECT_DOUBLE_EQ(w.song->Song_Time, 62.5);
  EXPECT_EQ(w.playback.Clock.Hsc_Time_Value, 62);
  EXPECT_TRUE(w.playback.Clock.Last_Action.empty());
}

TEST(SongFile, OpeningASongSizesTheScrollBarAndMovesTheView) {
  Window w(false);
  w.player.duration = 187.6;
  w.Open(w.song_path);
  EXPECT_TRUE(Has_Sound(w.playback.Clock));
  EXPECT_EQ(w.playback.Clock.Hsc_Time_Max, 187);
  EXPECT_EQ(w.redraws, 1);
  EXPECT_TRUE(w.recorder.messages.empty());
  txt_Filename_LostFocus(*w.song, w.playback, w.ui);
  EXPECT_TRUE(w.recorder.messages.empty());
}

TEST(SongFile, ASongThatCannotBePlayedIsReportedAndTheClockRunsWithoutIt) {
  Window w(false);
  w.player.unplayable.insert(w.song_path);
  w.Open(w.song_path);
  ASSERT_EQ(w.recorder.messages.size(), 1u);
  EXPECT_EQ(w.recorder.messages[0],
            "Error No. -1094995529 occured on changing filename 0, Rendering file - Invalid data "
            "found when processing input");
  EXPECT_FALSE(Has_Sound(w.playback.Clock));
  txt_Filename_LostFocus(*w.song, w.playback, w.ui);
  EXPECT_EQ(w.recorder.messages.back(), "This file cannot be played!");
  w.Start("0:05");
  w.Play(2);
  EXPECT_DOUBLE_EQ(w.song->Song_Time, 7);
}

TEST(SongFile, ANameOfNoFileIsNotOpenedAndANewNameClosesTheOldSong) {
  Window w(true);
  ASSERT_TRUE(w.player.open);
  w.Open(w.dir.File("missing.mp3"));
  EXPECT_FALSE(w.player.open);
  EXPECT_TRUE(w.playback.Clock.Sound_File.empty());
  EXPECT_TRUE(w.recorder.messages.empty());
}

TEST(SongFile, TheNameIsCheckedWhenTheTimingTabOpens) {
  Window w(false);
  struct Case {
    std::string name;
    std::string message;  ///< "": none
  };
  for (const Case& c : {Case{"", ""}, Case{"  " + w.song_path + " ", ""},
                        Case{w.dir.File("gone.mp3"), "There is no such file!"},
                        Case{w.dir.File("no folder/gone.mp3"),
                             "Error! The volume for file '" + w.dir.File("no folder/gone.mp3") +
                                 "' could not be found or does not contain any media!"}}) {
    w.recorder.messages.clear();
    w.controls().Set_Text("txt_Filename", 0, c.name);
    EXPECT_EQ(Check_Song_File_Name(*w.song, w.ui), c.message.empty()) << c.name;
    EXPECT_EQ(w.recorder.messages, c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
  }
}

TEST(TimeControls, TypingOrScrollingMovesTheStoppedSongOnly) {
  Window w(true);
  w.controls().Set_Text("Txt_Time", "1:15");
  Txt_Time_Change(*w.song, w.playback);
  EXPECT_DOUBLE_EQ(w.player.Position(), 75);
  EXPECT_EQ(w.playback.Clock.Hsc_Time_Value, 75);
  EXPECT_EQ(w.controls().Text("Txt_Time"), "1:15");  // what the user types stays
  Hsc_Time_Change(*w.song, w.playback, 40);
  EXPECT_DOUBLE_EQ(w.player.Position(), 40);
  EXPECT_EQ(w.controls().Text("Txt_Time"), "0:40");
  EXPECT_TRUE(w.playback.Clock.Last_Action.empty());

  // While the program itself changes the boxes, or while playing, nothing moves the song.
  w.playback.Clock.Last_Action = "But_Stop_Click";
  w.controls().Set_Text("Txt_Time", "0:20");
  Txt_Time_Change(*w.song, w.playback);
  EXPECT_DOUBLE_EQ(w.player.Position(), 40);
  w.playback.Clock.Last_Action.clear();
  w.Start("0:40");
  Hsc_Time_Change(*w.song, w.playback, 10);
  EXPECT_DOUBLE_EQ(w.player.Position(), 40);
}

TEST(TimeControls, TheScrollBarStopsAtItsMaximum) {
  Window w(true);
  w.player.duration = 30.9;
  w.Open(w.song_path);
  w.song->Song_Time = 30.9;
  Update_Song_Position(*w.song, w.playback, false, true, false);
  EXPECT_EQ(w.playback.Clock.Hsc_Time_Value, 30);
  w.song->Song_Time = 45;
  Update_Song_Position(*w.song, w.playback, false, true, false);
  EXPECT_EQ(w.playback.Clock.Hsc_Time_Value, 30);
}

}  // namespace
}  // namespace lyricanvas
