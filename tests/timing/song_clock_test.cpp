#include "timing/song_clock.h"

#include <gtest/gtest.h>

#include <memory>

#include "timing/fake_audio_player.h"

namespace lyricanvas {
namespace {

TEST(TypedTime, ReadsSecondsOrMinutesWithTheLastTwoCharactersAsSeconds) {
  struct Case {
    const char* text;
    std::optional<double> seconds;
  };
  for (const Case& c : {Case{"90", 90}, Case{"1:5", 60}, Case{"1:30", 90}, Case{"0:02", 2},
                        Case{"12:34", 754}, Case{" 7.5 ", 7.5}, Case{"2:7x", 127},
                        Case{":45", 45}, Case{"abc", std::nullopt}, Case{"", std::nullopt},
                        Case{"9 seconds", std::nullopt}})
    EXPECT_EQ(Typed_Time(c.text), c.seconds) << '"' << c.text << '"';
}

TEST(TimeText, ShowsWholeMinutesAndTwoDigitSeconds) {
  struct Case {
    double seconds;
    const char* text;
  };
  for (const Case& c : {Case{0, "0:00"}, Case{59.99, "0:59"}, Case{60, "1:00"}, Case{187.4, "3:07"},
                        Case{-0.5, "0:00"}, Case{3600, "60:00"}})
    EXPECT_EQ(Time_Text(c.seconds), c.text) << c.seconds;
}

/// A song and its clock on a steady clock the test moves by hand.
struct Clock_Fixture {
  double now = 500;
  std::unique_ptr<Song> song = std::make_unique<Song>();
  testing::Fake_Audio_Player player{now};
  Song_Clock clock;

  explicit Clock_Fixture(bool with_audio) {
    clock.Now = [this] { return now; };
    if (!with_audio) return;
    Audio_Error error;
    player.Open("song.mp3", error);
    clock.Player = &player;
    clock.Sound_File = "song.mp3";
  }
};

TEST(SongTimeAt, AKeyEventReadsTheSongTimeOfItsOwnMoment) {
  struct Case {
    bool with_audio;
    bool half_speed;
    double age;  ///< seconds between the key event and now
    double expected;
  };
  // Playing from 20 s for 4 s of wall time: 24 s at full speed, 22 s at half speed.
  for (const Case& c : {Case{false, false, 0.4, 23.6}, Case{false, true, 0.4, 21.8},
                        Case{true, false, 0.4, 23.6}, Case{true, true, 0.4, 21.8},
                        Case{true, false, 0, 24}, Case{true, false, 30, 0}}) {
    Clock_Fixture f(c.with_audio);
    f.song->Window_Controls.Set_Check("Chk_HalfSpeed", c.half_speed ? 1 : 0);
    f.song->Song_Time = 20;
    Restart_Timer(*f.song, f.clock);
    f.clock.Is_Playing = true;
    f.player.Set_Rate(Speed_Factor(*f.song));
    f.player.Set_Position(20);
    f.player.Run();
    f.now += 4;
    EXPECT_NEAR(Song_Time_At(*f.song, f.clock, f.now - c.age), c.expected, 1e-9)
        << c.with_audio << c.half_speed << c.age;
  }
}

TEST(SongTimeAt, StoppedTheClockStandsStill) {
  for (bool with_audio : {false, true}) {
    Clock_Fixture f(with_audio);
    f.song->Song_Time = 12;
    f.player.Set_Position(12);
    f.now += 3;
    EXPECT_DOUBLE_EQ(Song_Time_At(*f.song, f.clock, f.now - 1), 12) << with_audio;
  }
}

TEST(ReadSongTime, WithoutAudioTheTimerCountsOnlyWhenAllowed) {
  Clock_Fixture f(false);
  f.song->Song_Time = 5;
  Restart_Timer(*f.song, f.clock);
  f.now += 2;
  Read_Song_Time(*f.song, f.clock, false);
  EXPECT_DOUBLE_EQ(f.song->Song_Time, 5);
  Read_Song_Time(*f.song, f.clock, true);
  EXPECT_DOUBLE_EQ(f.song->Song_Time, 7);
}

TEST(ReadSongTime, WithAudioItIsThePositionHeardAndNeverPastTheEnd) {
  Clock_Fixture f(true);
  f.player.duration = 30;
  f.player.Set_Position(28);
  f.player.Run();
  f.now += 1;
  Read_Song_Time(*f.song, f.clock, false);
  EXPECT_DOUBLE_EQ(f.song->Song_Time, 29);
  f.now += 10;
  Read_Song_Time(*f.song, f.clock, false);
  EXPECT_DOUBLE_EQ(f.song->Song_Time, 30);
}

TEST(EventSteadySeconds, TakesTheWindowSystemsStampWhenItIsOfTheSameClock) {
  constexpr double Wrap = 4294967.296;
  struct Case {
    std::uint64_t stamp_ms;
    double now;
    double expected;
  };
  for (const Case& c : {Case{1000400, 1000.5, 1000.4},            // 100 ms before now
                        Case{9500, 3 * Wrap + 10, 3 * Wrap + 9.5},  // the 32-bit stamp wrapped
                        Case{4294967000, Wrap + 0.1, Wrap - 0.296},  // stamped just before a wrap
                        Case{1000530, 1000.5, 1000.5},            // a little ahead: now
                        Case{1200000, 1000.5, 1000.5},            // far ahead: another clock
                        Case{990000, 1000.5, 1000.5},             // ten seconds old: another clock
                        Case{0, 1000.5, 1000.5}})
    EXPECT_NEAR(Event_Steady_Seconds(c.stamp_ms, c.now), c.expected, 1e-6) << c.stamp_ms;
}

}  // namespace
}  // namespace lyricanvas
