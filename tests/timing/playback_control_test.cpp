// The song clock and the playback handlers of the "Lyrics swiping" tab, on a steady clock the
// test moves by hand and, when asked, a song opened in a fake player; the waveform of its frames.
#include "timing/playback_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "timing/waveform.h"
#include "timing/waveform_strip.h"
#include "timing_fixture.h"

namespace lyricanvas {
namespace {

TEST(TimeBox, ReadsSecondsOrMinutesWithTheLastTwoCharactersAsSecondsAndShowsMinutes) {
  struct Case {
    const char* typed;
    std::optional<double> seconds;
    const char* shown;
  };
  for (const Case& c : {Case{"90", 90, "1:30"}, Case{"1:5", 60, "1:00"}, Case{"0:02", 2, "0:02"},
                        Case{"12:34", 754, "12:34"}, Case{" 59.99 ", 59.99, "0:59"},
                        Case{"3600", 3600, "60:00"}, Case{"-0.5", -0.5, "0:00"},
                        Case{"abc", std::nullopt, ""}, Case{"9 seconds", std::nullopt, ""}}) {
    EXPECT_EQ(Typed_Time(c.typed), c.seconds) << '"' << c.typed << '"';
    if (c.seconds) {
      EXPECT_EQ(Time_Text(*c.seconds), c.shown);
    }
  }
}

TEST(EventSteadySeconds, TakesTheWindowSystemsStampWhenItIsOfTheSameClock) {
  constexpr double Wrap = 4294967.296;
  struct Case {
    std::uint64_t stamp_ms;
    double now, expected;
  };
  for (const Case& c : {Case{1000400, 1000.5, 1000.4},               // 100 ms before now
                        Case{9500, 3 * Wrap + 10, 3 * Wrap + 9.5},   // the 32-bit stamp wrapped
                        Case{4294967000, Wrap + 0.1, Wrap - 0.296},  // stamped just before a wrap
                        Case{1000530, 1000.5, 1000.5},               // a little ahead: now
                        Case{1200000, 1000.5, 1000.5},               // far ahead: another clock
                        Case{990000, 1000.5, 1000.5}})  // ten seconds old: another clock
    EXPECT_NEAR(Event_Steady_Seconds(c.stamp_ms, c.now), c.expected, 1e-6) << c.stamp_ms;
}

/// The tab's playback, with a song of 100.5 s opened in the fake player when `with_audio`. The
/// hooks count what the rest of the editor was asked to do.
struct Window {
  double now = 1000;
  std::unique_ptr<Song> song = std::make_unique<Song>();
  testing::Fake_Audio_Player player{now};
  Playback playback;
  testing::Recording_Ui recorder;
  Ui ui = recorder.ui();
  int redraws = 0, key_releases = 0;
  bool timer_on = false;
  double stamped = -1;
  testing::Temp_Dir dir;

  explicit Window(bool with_audio) {
    player.duration = 100.5;
    playback.Clock.Player = &player;
    playback.Clock.Now = [this] { return now; };
    playback.Hooks.Redraw_View = [this] { ++redraws; };
    playback.Hooks.Timer1 = [this](bool on) { timer_on = on; };
    playback.Hooks.Release_Keys = [this] { ++key_releases; };
    testing::Write_File(dir.File("song.mp3"), "sound");
    if (with_audio) Open(dir.File("song.mp3"));
  }
  void Open(const std::string& path) {
    song->Window_Controls.Set_Text("txt_Filename", 0, path);
    txt_Filename_Change(*song, playback, ui, path);
  }
  Controls& controls() { return song->Window_Controls; }
  const Song_Clock& clock() const { return playback.Clock; }
  /// Runs steps: "start 1:30", "play 10" (seconds of wall time; "wait 10" without reading the
  /// clock), "stop", "half", "full" (the half speed box), "back" (key B), "end" (the loop's check
  /// for the song's end), "type 1:15" (into the time box), "scroll 30" (the time scroll bar), and
  /// the last action: "busy" (the program changes the boxes), "mouse" (a press on the view),
  /// "idle"; "key 0.4" stamps a key event 0.4 s old with its song time.
  void Run(const std::string& script) {
    std::istringstream in(script);
    for (std::string op, arg; in >> op;) {
      if ((op == "start" || op == "type") && in >> arg) {
        controls().Set_Text("Txt_Time", arg);
        if (op == "start")
          But_Start_Click(*song, playback, ui);
        else
          Txt_Time_Change(*song, playback);
      } else if ((op == "play" || op == "wait") && in >> arg) {
        now += std::stod(arg);
        if (op == "wait") continue;
        Read_Song_Time(*song, playback.Clock, true);  // a step of the playback loop
        Show_Time(*song, playback);
      } else if (op == "key" && in >> arg) {
        stamped = Song_Time_At(*song, playback.Clock, now - std::stod(arg));
      } else if (op == "scroll" && in >> arg) {
        Hsc_Time_Change(*song, playback, std::stoi(arg));
      } else if (op == "half" || op == "full") {
        controls().Set_Check("Chk_HalfSpeed", op == "half" ? 1 : 0);
        Chk_HalfSpeed_Click(*song, playback, ui);
      } else if (op == "stop") {
        But_Stop_Click(*song, playback, ui);
      } else if (op == "busy" || op == "mouse" || op == "idle") {
        playback.Clock.Last_Action = op == "idle"   ? ""
                                     : op == "busy" ? "But_Stop_Click"
                                                    : "MouseDown";
      } else if (op == "back") {
        warp_back(*song, playback, ui);
      } else if (op == "end") {
        Check_Song_End(*song, playback, ui);
      } else {
        ADD_FAILURE() << "no step " << op;
      }
    }
  }
};

enum Modes { Silent = 1, Heard = 2, Both = 3 };

TEST(Playback, StartStopGoBackSpeedEndAndTheTimeControls) {
  struct Case {
    const char* name;
    int modes;
    const char* go_back;
    const char* script;
    double time;
    const char* shown;
    bool playing;
    double stamped = -1;  ///< the song time of the last "key"
  };
  const Case cases[] = {
      {"half speed from 1:30", Both, "5", "half start 1:30 play 10", 95, "1:35", true},
      {"full speed from 1:30", Both, "5", "start 1:30 play 10", 100, "1:40", true},
      {"stop at 0:02 going back 3 s", Both, "3", "start 0 play 2.5 stop", 0, "0:00", false},
      {"back from the time shown", Both, "5", "start 0 play 95.2 stop", 90, "1:30", false},
      {"no number to go back", Both, "x", "start 0 play 10 stop", 10, "0:10", false},
      {"going back 2.5 s", Both, "2.5", "start 0 play 10 stop", 7.5, "0:07", false},
      {"speed switched", Both, "5", "start 0:10 play 4 half play 4 full play 1", 17, "0:17", true},
      {"B from the time shown", Silent, "5", "start 0:50 play 2.4 back play 1", 48, "0:48", true},
      {"B from the time heard", Heard, "5", "start 0:50 play 2.4 back play 1", 48.4, "0:48", true},
      {"stops at the song's end", Heard, "0", "start 1:40 play 5 end", 100.5, "1:40", false},
      {"without sound the clock runs on", Silent, "0", "start 1:40 play 5 end", 105, "1:45", true},
      {"start after a press on the view", Silent, "0",
       "type 0:20 wait 5 mouse start 0:40 idle play 1", 21, "0:21", true},
      {"started again, a second start ignored", Both, "5",
       "start 0:10 play 1 stop start 0:06 start 0:30 play 1", 7, "0:07", true},
      {"typed", Both, "5", "type 1:15", 75, "1:15", false},
      {"typed past the end", Both, "5", "type 2:00", 120, "2:00", false},
      {"scrolled", Both, "5", "scroll 30", 30, "0:30", false},
      {"typed by the program", Both, "5", "type 0:10 busy type 0:20 idle", 10, "0:20", false},
      {"scrolled by the program", Both, "5", "type 0:10 busy scroll 30 idle", 10, "0:10", false},
      {"typed while playing", Both, "5", "start 0:10 type 0:20", 10, "0:20", true},
      {"scrolled while playing", Both, "5", "start 0:10 scroll 30", 10, "0:10", true},
      {"a key 0.4 s ago", Both, "5", "start 0:20 wait 4 key 0.4", 20, "0:20", true, 23.6},
      {"a key at half speed", Both, "5", "half start 0:20 wait 4 key 0.4", 20, "0:20", true, 21.8},
      {"a key now", Heard, "5", "start 0:20 wait 4 key 0", 20, "0:20", true, 24},
      {"a key before the start", Heard, "5", "start 0:20 wait 4 key 30", 20, "0:20", true, 0},
      {"a key while stopped", Both, "5", "type 0:20 wait 4 key 1", 20, "0:20", false, 20},
  };
  for (const Case& c : cases) {
    for (bool heard : {false, true}) {
      if (!(c.modes & (heard ? Heard : Silent))) continue;
      SCOPED_TRACE(std::string(c.name) + (heard ? " (heard)" : " (silent)"));
      Window w(heard);
      w.controls().Set_Text("Txt_GoBack", c.go_back);
      w.Run(c.script);
      EXPECT_NEAR(w.song->Song_Time, c.time, 1e-9);
      EXPECT_NEAR(w.stamped, c.stamped, 1e-9) << "the song time of a key event's own moment";
      EXPECT_EQ(w.controls().Text("Txt_Time"), c.shown);
      EXPECT_EQ(w.clock().Is_Playing, c.playing);
      EXPECT_EQ(w.timer_on, c.playing);
      EXPECT_EQ(w.controls().Find("Txt_Time")->Enabled, !c.playing);
      EXPECT_EQ(w.controls().Find("txt_Filename", 0)->Enabled, !c.playing);
      EXPECT_EQ(w.player.opened, heard ? 1 : 0);
      EXPECT_TRUE(w.clock().Last_Action.empty());
      EXPECT_EQ(w.player.running, heard && c.playing);
      EXPECT_EQ(w.player.rate, heard ? Speed_Factor(*w.song) : 1);
      if (!c.playing) {  // the song of 100.5 s stays where the clock is, at most at its end
        EXPECT_EQ(w.clock().Hsc_Time_Value,
                  std::min(static_cast<int>(c.time), heard ? 100 : 32767));
        EXPECT_DOUBLE_EQ(w.player.Position(), heard ? std::min(c.time, 100.5) : 0);
      }
    }
  }
}

TEST(SongFile, ANewNameClosesTheOldSongAndWhatCannotBePlayedIsReported) {
  struct Case {
    const char* file;
    bool exists, playable;
    std::vector<std::string> messages;
  };
  const std::string cannot = "This file cannot be played!";
  const std::string bad =
      "Error No. -1094995529 occured on changing filename 0, Rendering file - Invalid data found "
      "when processing input";
  const Case cases[] = {{"other.mp3", true, true, {}},
                        {"bad.mp3", true, false, {bad, cannot}},
                        {"missing.mp3", false, false, {cannot}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Window w(true);
    const std::string path = w.dir.File(c.file);
    if (c.exists) testing::Write_File(path, "sound");
    if (!c.playable) w.player.unplayable.insert(path);
    w.Open(path);
    txt_Filename_LostFocus(*w.song, w.playback, w.ui);
    EXPECT_EQ(w.recorder.messages, c.messages);
    EXPECT_EQ(Has_Sound(w.clock()), c.playable);
    EXPECT_EQ(w.player.open, c.playable);
    EXPECT_EQ(w.redraws, c.playable ? 2 : 1) << "an opened song moves the view";
    EXPECT_EQ(w.clock().Hsc_Time_Max, 100);
    w.controls().Set_Check("Chk_Tabmode", 1);
    w.Run("start 0:05 play 2");
    EXPECT_DOUBLE_EQ(w.song->Song_Time, 7) << "the clock runs with the song or without it";
    EXPECT_EQ(w.recorder.focused, std::vector<std::string>{"Pic_Indication"}) << "Space times";
    w.Run("stop");
    EXPECT_EQ(w.key_releases, 1) << "a held key is released";
  }
}

TEST(SongFile, TheNameIsCheckedWhenTheTimingTabOpens) {
  Window w(false);
  const std::string lost = w.dir.File("no folder/gone.mp3");
  for (auto [name, message] :
       {std::pair<std::string, std::string>{"  " + w.dir.File("song.mp3") + " ", ""},
        {w.dir.File("gone.mp3"), "There is no such file!"},
        {lost, "Error! The volume for file '" + lost +
                   "' could not be found or does not contain any media!"}}) {
    w.recorder.messages.clear();
    w.controls().Set_Text("txt_Filename", 0, name);
    EXPECT_EQ(Check_Song_File_Name(*w.song, w.ui), message.empty()) << name;
    EXPECT_EQ(w.recorder.messages,
              message.empty() ? std::vector<std::string>{} : std::vector{message});
  }
}

TEST(WaveformPeaks, ColumnsTakeTheExtremesOfBothChannelsOfTheirOwnFrames) {
  double now = 0;
  testing::Fake_Audio_Player player(now);
  player.decoded_frames = Audio_Sample_Rate;  // one second decoded
  struct Case {
    double from, to;
    int columns;
    std::size_t column;
    Peak expected;
  };
  const double f = 1.0 / Audio_Sample_Rate;  // one frame in seconds
  const float S = 32768.0f;
  for (const Case& c : {Case{0, 100 * f, 1, 0, {-15000 / S, -7450 / S}},            // frames 0..99
                        Case{0, 200 * f, 2, 1, {-14900 / S, -7400 / S}},            // 100..199 only
                        Case{29990 * f, 30010 * f, 1, 0, {-15000 / S, 14999 / S}},  // wrapped
                        Case{-1, 0, 4, 3, {0, 0}},   // silence before the start of the song
                        Case{1.5, 2, 2, 0, {0, 0}},  // and past what is decoded
                        Case{44000 * f, 44200 * f, 1, 0, {-1000 / S, -450 / S}}}) {  // half
    std::vector<Peak> peaks = Waveform_Peaks(player, c.from, c.to, c.columns);
    ASSERT_EQ(peaks.size(), static_cast<std::size_t>(c.columns));
    EXPECT_FLOAT_EQ(peaks[c.column].Low, c.expected.Low) << c.from;
    EXPECT_FLOAT_EQ(peaks[c.column].High, c.expected.High) << c.from;
  }
  EXPECT_TRUE(Waveform_Peaks(player, 0, 1, 0).empty());
  EXPECT_EQ(Waveform_Peaks(player, 1, 0.5, 3), std::vector<Peak>(3)) << "a reversed range";
  EXPECT_EQ(Waveform_Peaks(player, 0.5, 0.5, 2), std::vector<Peak>(2)) << "an empty range";
}

TEST(WaveformStrip, PeaksMarksAndThePlayingPosition) {
  Song song;
  testing::Build_Song(song, {{{{"la ", 9.0, 9.5}, {"la ", 10.5, 11}, {"la", 20, 21}}, 1}});
  Surface strip(100, 41);
  std::vector<Peak> peaks(100);
  peaks[10] = {-1.0f, 1.0f};  // full height
  peaks[30] = {-0.5f, 0.5f};  // half
  Draw_Waveform_Strip(strip, song, peaks, 10.0);
  const QRgb background = strip.Pixel(99, 40);
  // Silent columns draw their one middle pixel; syllables at 9 s and 10.5 s fall at columns
  // (9 - 8) / 4 * 100 = 25 and 62 (a mark and the silent pixel); the position stands at 50.
  for (auto [x, drawn] : {std::pair{10, 41}, {30, 21}, {5, 1}, {50, 41}, {25, 12}, {62, 12}}) {
    int count = 0;
    for (int y = 0; y < strip.Height(); ++y)
      count += strip.Pixel(x, y) != (background | 0xff000000u);
    EXPECT_EQ(count, drawn) << "column " << x;
  }
  EXPECT_EQ(Syllable_Starts(song, 8, 12), (std::vector<double>{9.0, 10.5}));
}

}  // namespace
}  // namespace lyricanvas
