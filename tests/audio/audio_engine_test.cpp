#include "audio/audio_engine.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <thread>

#include "audio/audio_files.h"
#include "timing/playback_control.h"
#include "timing/waveform.h"

namespace lyricanvas {
namespace {

/// A song on disk, a silent engine and the window's playback state around it, all on a steady
/// clock the test moves by hand.
struct Silent_Song {
  testing::Temp_Dir dir;
  std::string path;
  double now = 1000;
  Audio_Engine engine{Audio_Output::Silent, [this] { return now; }};
  std::unique_ptr<Song> song = std::make_unique<Song>();
  Playback playback;
  testing::Recording_Ui recorder;

  explicit Silent_Song(const std::string& bytes, const std::string& name = "song.wav")
      : path(dir.File(name)) {
    testing::Write_File(path, bytes);
    playback.Clock.Player = &engine;
    playback.Clock.Now = [this] { return now; };
  }
  /// Opens the song as the window does when its file name changes.
  bool Open_In_Window() {
    song->Window_Controls.Set_Text("txt_Filename", 0, path);
    txt_Filename_Change(*song, playback, recorder.ui(), path);
    return engine.Wait_Decoded(1e9, 20);
  }
  void Start_At(const char* time) {
    song->Window_Controls.Set_Text("Txt_Time", time);
    But_Start_Click(*song, playback, recorder.ui());
  }
  double Read() {
    Read_Song_Time(*song, playback.Clock, true);
    return song->Song_Time;
  }
};

bool Open_Decoded(Audio_Engine& engine, const std::string& path) {
  Audio_Error error;
  return engine.Open(path, error) && engine.Wait_Decoded(1e9, 20);
}

TEST(AudioClock, TheWindowReadsTheSongFromItsStartAtTheChosenSpeedAndStopsAtItsEnd) {
  struct Case {
    bool half_speed;
    const char* start;
    double wait;
    double expected;  ///< 120: past the end, which reads the duration and stops playback
  };
  for (Case c : {Case{true, "1:30", 10, 95}, Case{false, "1:30", 10, 100}, Case{true, "0:00", 4, 2},
                 Case{false, "90", 0.5, 90.5}, Case{false, "1:59", 5, 120}}) {
    SCOPED_TRACE(std::string(c.start) + (c.half_speed ? " half" : ""));
    Silent_Song audio(testing::Tone_Wav(8000, 1, 120, 440));
    ASSERT_TRUE(audio.Open_In_Window());
    audio.song->Window_Controls.Set_Check("Chk_HalfSpeed", c.half_speed ? 1 : 0);
    audio.song->Window_Controls.Set_Text("Txt_GoBack", "0");
    audio.Start_At(c.start);
    audio.now += c.wait;
    EXPECT_NEAR(audio.Read(), c.expected, 0.002);
    const bool ended = c.expected == 120;
    EXPECT_EQ(audio.engine.Is_Running(), !ended);
    Check_Song_End(*audio.song, audio.playback, audio.recorder.ui());
    EXPECT_EQ(audio.playback.Clock.Is_Playing, !ended);
    EXPECT_NEAR(audio.song->Song_Time, c.expected, 0.002);
    EXPECT_EQ(audio.song->Window_Controls.Text("Txt_Time"), ended ? "2:00" : c.start);
  }
}

TEST(AudioClock, SeekingStoppingAndSwitchingSpeedKeepTheSongPositionContinuous) {
  Silent_Song audio(testing::Tone_Wav(8000, 1, 60, 440));
  ASSERT_TRUE(Open_Decoded(audio.engine, audio.path));
  Audio_Engine& e = audio.engine;
  e.Set_Position(10);
  e.Run();
  audio.now += 2;
  EXPECT_NEAR(e.Position(), 12, 1e-3);
  e.Set_Rate(0.5);
  EXPECT_NEAR(e.Position(), 12, 1e-3);
  audio.now += 2;
  EXPECT_NEAR(e.Position(), 13, 1e-3);
  e.Stop();
  audio.now += 5;
  EXPECT_NEAR(e.Position(), 13, 1e-3);
  e.Set_Position(30);
  e.Set_Rate(1.0);
  e.Run();
  audio.now += 1;
  EXPECT_NEAR(e.Position(), 31, 1e-3);
  e.Set_Position(-4);
  EXPECT_NEAR(e.Position(), 0, 1e-3);
}

TEST(AudioClock, ADecodedWavAdvancesAtTheRateOfWallTime) {
  testing::Temp_Dir dir;
  testing::Write_File(dir.File("song.wav"), testing::Tone_Wav(44100, 2, 20, 440));
  for (double rate : {1.0, 0.5}) {
    Audio_Engine engine(Audio_Output::Silent);
    ASSERT_TRUE(Open_Decoded(engine, dir.File("song.wav")));
    engine.Set_Rate(rate);
    engine.Set_Position(3);
    engine.Run();
    const double wall_start = Steady_Seconds();
    const double song_start = engine.Position();
    // Read as the playback loop does, so the output takes its samples in small portions.
    while (Steady_Seconds() - wall_start < 1.5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
      engine.Position();
    }
    const double wall = Steady_Seconds() - wall_start;
    EXPECT_NEAR((engine.Position() - song_start) / wall, rate, rate * 0.01) << "rate " << rate;
  }
}

TEST(AudioClock, TheMachinesOwnOutputOrTheSilentOneKeepsTheClockRunning) {
  testing::Temp_Dir dir;
  testing::Write_File(dir.File("quiet.wav"), testing::Tone_Wav(8000, 1, 5, 0));  // silence
  Audio_Engine engine;
  ASSERT_TRUE(Open_Decoded(engine, dir.File("quiet.wav")));
  engine.Run();
  const double start = Steady_Seconds();
  while (Steady_Seconds() - start < 0.6) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  const double heard = engine.Position();
  // A device starts a little late and holds a buffer; the song still moves on with the time.
  EXPECT_GT(heard, engine.Plays_On_Device() ? 0.2 : 0.55) << "device " << engine.Plays_On_Device();
  EXPECT_LT(heard, 0.7);
  engine.Stop();
  EXPECT_NEAR(engine.Position(), heard, engine.Plays_On_Device() ? 0.2 : 0.02);
}

TEST(AudioFiles, AFileThatCannotBePlayedIsReportedAndLeavesNoSong) {
  const std::string wav = testing::Tone_Wav(8000, 1, 1, 440);
  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c :
       {Case{"empty.wav", ""}, Case{"text.mp3", "These are lyrics, not a song.\n"},
        Case{"header.wav", wav.substr(0, 30)}, Case{"noise.ogg", std::string(4000, '\x5A')},
        Case{"damaged.mid", std::string("MThd\0\0\0\x06\0\0\0\x01", 12)}}) {
    Silent_Song audio(c.bytes, c.name);
    audio.Open_In_Window();
    ASSERT_EQ(audio.recorder.messages.size(), 1u) << c.name;
    EXPECT_EQ(audio.recorder.messages[0].rfind("Error No. ", 0), 0u) << c.name;
    EXPECT_NE(audio.recorder.messages[0].find("occured on changing filename 0, Rendering file - "),
              std::string::npos);
    EXPECT_TRUE(audio.playback.Clock.Sound_File.empty());
    EXPECT_FALSE(audio.engine.Is_Open());
    // The clock goes on without a song.
    audio.Start_At("0:10");
    audio.now += 3;
    EXPECT_NEAR(audio.Read(), 13, 1e-9) << c.name;
  }
}

TEST(AudioFiles, ATruncatedSongPlaysWhatIsLeft) {
  const std::string wav = testing::Tone_Wav(8000, 1, 4, 440);
  Silent_Song audio(wav.substr(0, wav.size() / 2));
  ASSERT_TRUE(Open_Decoded(audio.engine, audio.path));
  EXPECT_NEAR(audio.engine.Duration(), 2.0, 0.01);
}

TEST(AudioFiles, AMidiSongIsRenderedWithItsNotesInTime) {
  Silent_Song audio(testing::Note_Midi(2, 2), "song.kar");  // silence 1 s, a note 1 s
  ASSERT_TRUE(Open_Decoded(audio.engine, audio.path));
  // The song ends when the last note has faded.
  EXPECT_NEAR(audio.engine.Duration(), 2.4, 0.3);
  std::vector<Peak> peaks = Waveform_Peaks(audio.engine, 0, 2, 4);
  ASSERT_EQ(peaks.size(), 4u);
  EXPECT_LT(std::max(peaks[0].High, peaks[1].High), 0.01f);
  EXPECT_GT(std::min(peaks[2].High, peaks[3].High), 0.02f);
}

}  // namespace
}  // namespace lyricanvas
