#include "audio/audio_engine.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>
#include <thread>

#include "audio/audio_files.h"
#include "support/test_support.h"
#include "timing/playback_control.h"
#include "timing/waveform.h"

namespace lyricanvas {
namespace {

using testing::Recording_Ui;
using testing::Temp_Dir;

/// A song on disk and a silent engine on a steady clock the test moves by hand.
struct Silent_Song {
  Temp_Dir dir;
  std::string path;
  double now = 1000;
  Audio_Engine engine{Audio_Output::Silent, [this] { return now; }};

  explicit Silent_Song(const std::string& bytes, const std::string& name = "song.wav") {
    path = dir.File(name);
    testing::Write_File(path, bytes);
  }
  bool Open() {
    Audio_Error error;
    return engine.Open(path, error) && engine.Wait_Decoded(1e9, 20);
  }
};

/// The window's playback state around the engine, with the same hand-moved clock.
struct Timing_Window {
  std::unique_ptr<Song> song = std::make_unique<Song>();
  Playback playback;
  Recording_Ui recorder;

  explicit Timing_Window(Silent_Song& audio) {
    playback.Clock.Player = &audio.engine;
    playback.Clock.Now = [&audio] { return audio.now; };
  }
  void Open(const std::string& path) {
    song->Window_Controls.Set_Text("txt_Filename", 0, path);
    txt_Filename_Change(*song, playback, recorder.ui(), path);
  }
  double Read() {
    Read_Song_Time(*song, playback.Clock, true);
    return song->Song_Time;
  }
};

// The clock through the silent output ------------------------------------------------------------

TEST(AudioClock, StartAtAMinuteAndAHalfAtHalfSpeedReads95AfterTenSeconds) {
  struct Case {
    bool half_speed;
    const char* start;
    double wait;
    double expected;
  };
  for (Case c : {Case{true, "1:30", 10, 95}, Case{false, "1:30", 10, 100}, Case{true, "0:00", 4, 2},
                 Case{false, "90", 0.5, 90.5}}) {
    Silent_Song audio(testing::Tone_Wav(8000, 1, 120, 440));
    Timing_Window window(audio);
    window.Open(audio.path);
    ASSERT_TRUE(audio.engine.Wait_Decoded(1e9, 20));
    window.song->Window_Controls.Set_Check("Chk_HalfSpeed", c.half_speed ? 1 : 0);
    window.song->Window_Controls.Set_Text("Txt_Time", c.start);
    But_Start_Click(*window.song, window.playback, window.recorder.ui());
    audio.now += c.wait;
    EXPECT_NEAR(window.Read(), c.expected, 0.002) << c.start << (c.half_speed ? " half" : "");
  }
}

TEST(AudioClock, APositionPastTheEndReadsTheDurationAndStopsPlayback) {
  Silent_Song audio(testing::Tone_Wav(22050, 2, 2, 440));
  Timing_Window window(audio);
  window.Open(audio.path);
  ASSERT_TRUE(audio.engine.Wait_Decoded(1e9, 20));
  window.song->Window_Controls.Set_Text("Txt_GoBack", "0");
  window.song->Window_Controls.Set_Text("Txt_Time", "0:01");
  But_Start_Click(*window.song, window.playback, window.recorder.ui());
  audio.now += 5;
  EXPECT_DOUBLE_EQ(window.Read(), 2.0);
  EXPECT_FALSE(audio.engine.Is_Running());
  Check_Song_End(*window.song, window.playback, window.recorder.ui());
  EXPECT_FALSE(window.playback.Clock.Is_Playing);
  EXPECT_DOUBLE_EQ(window.song->Song_Time, 2.0);
  EXPECT_EQ(window.song->Window_Controls.Text("Txt_Time"), "0:02");
}

TEST(AudioClock, SeekingStoppingAndSwitchingSpeedKeepTheSongPositionContinuous) {
  Silent_Song audio(testing::Tone_Wav(8000, 1, 60, 440));
  ASSERT_TRUE(audio.Open());
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
  Temp_Dir dir;
  std::string path = dir.File("song.wav");
  testing::Write_File(path, testing::Tone_Wav(44100, 2, 20, 440));
  for (double rate : {1.0, 0.5}) {
    Audio_Engine engine(Audio_Output::Silent);
    Audio_Error error;
    ASSERT_TRUE(engine.Open(path, error)) << error.Description;
    ASSERT_TRUE(engine.Wait_Decoded(1e9, 20));
    engine.Set_Rate(rate);
    engine.Set_Position(3);
    engine.Run();
    double wall_start = Steady_Seconds();
    double song_start = engine.Position();
    // Read as the playback loop does, so the output takes its samples in small portions.
    while (Steady_Seconds() - wall_start < 1.5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
      engine.Position();
    }
    double wall = Steady_Seconds() - wall_start;
    double song = engine.Position() - song_start;
    EXPECT_NEAR(song / wall, rate, rate * 0.01) << "rate " << rate;
  }
}

TEST(AudioClock, TheMachinesOwnOutputOrTheSilentOneKeepsTheClockRunning) {
  Temp_Dir dir;
  std::string path = dir.File("quiet.wav");
  testing::Write_File(path, testing::Tone_Wav(8000, 1, 5, 0));  // silence, should a device play it
  Audio_Engine engine;
  Audio_Error error;
  ASSERT_TRUE(engine.Open(path, error)) << error.Description;
  ASSERT_TRUE(engine.Wait_Decoded(1e9, 20));
  engine.Run();
  double start = Steady_Seconds();
  while (Steady_Seconds() - start < 0.6) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  double heard = engine.Position();
  // A device starts a little late and holds a buffer; the song still moves on with the time.
  EXPECT_GT(heard, engine.Plays_On_Device() ? 0.2 : 0.55) << "device " << engine.Plays_On_Device();
  EXPECT_LT(heard, 0.7);
  engine.Stop();
  EXPECT_NEAR(engine.Position(), heard, engine.Plays_On_Device() ? 0.2 : 0.02);
}

// Files that cannot be played ----------------------------------------------------------------------

TEST(AudioFiles, AFileThatCannotBePlayedIsReportedAndLeavesNoSong) {
  std::string wav = testing::Tone_Wav(8000, 1, 1, 440);
  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c : {Case{"empty.wav", ""}, Case{"text.mp3", "These are lyrics, not a song.\n"},
                        Case{"header.wav", wav.substr(0, 30)},
                        Case{"noise.ogg", std::string(4000, '\x5A')},
                        Case{"damaged.mid", std::string("MThd\0\0\0\x06\0\0\0\x01", 12)}}) {
    Silent_Song audio(c.bytes, c.name);
    Timing_Window window(audio);
    window.Open(audio.path);
    ASSERT_EQ(window.recorder.messages.size(), 1u) << c.name;
    EXPECT_EQ(window.recorder.messages[0].rfind("Error No. ", 0), 0u) << c.name;
    EXPECT_NE(window.recorder.messages[0].find("occured on changing filename 0, Rendering file - "),
              std::string::npos);
    EXPECT_TRUE(window.playback.Clock.Sound_File.empty());
    EXPECT_FALSE(audio.engine.Is_Open());
    // The clock goes on without a song.
    window.song->Window_Controls.Set_Text("Txt_Time", "0:10");
    But_Start_Click(*window.song, window.playback, window.recorder.ui());
    audio.now += 3;
    EXPECT_NEAR(window.Read(), 13, 1e-9) << c.name;
  }
}

TEST(AudioFiles, ATruncatedSongPlaysWhatIsLeft) {
  std::string wav = testing::Tone_Wav(8000, 1, 4, 440);
  Silent_Song audio(wav.substr(0, wav.size() / 2));
  ASSERT_TRUE(audio.Open());
  EXPECT_NEAR(audio.engine.Duration(), 2.0, 0.01);
}

// Formats -------------------------------------------------------------------------------------------

TEST(AudioFiles, EveryFormatDecodesToTheSameToneAt44100Stereo) {
  Temp_Dir dir;
  std::string wav = dir.File("tone.wav");
  testing::Write_File(wav, testing::Tone_Wav(48000, 1, 3, 500));
  for (const char* name : {"tone.wav", "tone.mp3", "tone.flac", "tone.ogg", "tone.m4a", "tone.wma"}) {
    std::string path = dir.File(name);
    if (path != wav && !testing::Encode_With_Ffmpeg(wav, path)) {
      ADD_FAILURE() << "ffmpeg could not make " << name;
      continue;
    }
    Audio_Engine engine(Audio_Output::Silent);
    Audio_Error error;
    ASSERT_TRUE(engine.Open(path, error)) << name << ": " << error.Description;
    ASSERT_TRUE(engine.Wait_Decoded(1e9, 20));
    EXPECT_NEAR(engine.Duration(), 3.0, 0.1) << name;
    std::vector<std::int16_t> middle(Audio_Sample_Rate * Audio_Channels);
    ASSERT_EQ(engine.Copy_Frames(Audio_Sample_Rate, middle), Audio_Sample_Rate) << name;
    EXPECT_NEAR(testing::Crossings_Per_Second(middle, Audio_Sample_Rate), 1000, 10) << name;
  }
}

TEST(AudioFiles, AMidiSongIsRenderedWithItsNotesInTime) {
  Silent_Song audio(testing::Note_Midi(2, 2), "song.kar");  // silence 1 s, a note 1 s
  ASSERT_TRUE(audio.Open());
  // The song ends when the last note has faded.
  EXPECT_NEAR(audio.engine.Duration(), 2.4, 0.3);
  std::vector<Peak> peaks = Waveform_Peaks(audio.engine, 0, 2, 4);
  ASSERT_EQ(peaks.size(), 4u);
  EXPECT_LT(peaks[0].High, 0.01f);
  EXPECT_LT(peaks[1].High, 0.01f);
  EXPECT_GT(peaks[2].High, 0.02f);
  EXPECT_GT(peaks[3].High, 0.02f);
}

}  // namespace
}  // namespace lyricanvas
