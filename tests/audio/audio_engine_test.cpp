#include "audio/audio_engine.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "audio/audio_files.h"
#include "timing/waveform.h"

namespace lyricanvas {
namespace {

/// A song on disk and a silent engine on a steady clock the test moves by hand.
struct Silent_Song {
  testing::Temp_Dir dir;
  std::string path;
  double now = 1000;
  Audio_Engine engine{Audio_Output::Silent, [this] { return now; }};

  explicit Silent_Song(const std::string& bytes, const std::string& name = "song.wav")
      : path(dir.File(name)) {
    testing::Write_File(path, bytes);
  }
};

bool Open_Decoded(Audio_Engine& engine, const std::string& path) {
  Audio_Error error;
  return engine.Open(path, error) && engine.Wait_Decoded(1e9, 20);
}

TEST(AudioClock, SeekingStoppingAndSwitchingSpeedKeepTheSongPositionContinuousUpToTheEnd) {
  // A song cut off after 60 of its 120 seconds plays what is left.
  Silent_Song audio(testing::Tone_Wav(8000, 1, 120, 440).substr(0, 44 + 60 * 8000 * 2));
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
  // Played past its end, the song reads its duration and stops.
  e.Set_Position(59);
  audio.now += 3;
  EXPECT_NEAR(e.Position(), 60, 1e-3);
  EXPECT_FALSE(e.Is_Running());
}

TEST(AudioClock, ReadInSmallStepsTheSongAdvancesAtItsRate) {
  Silent_Song audio(testing::Tone_Wav(44100, 2, 20, 440));
  ASSERT_TRUE(Open_Decoded(audio.engine, audio.path));
  for (double rate : {1.0, 0.5}) {
    audio.engine.Set_Rate(rate);
    audio.engine.Set_Position(3);
    audio.engine.Run();
    // Read as the playback loop does, so the output takes its samples in small portions.
    for (int step = 0; step < 100; ++step) {
      audio.now += 0.015;
      audio.engine.Position();
    }
    EXPECT_NEAR(audio.engine.Position(), 3 + 1.5 * rate, 2.0 / Audio_Sample_Rate) << rate;
    audio.engine.Stop();
  }
}

TEST(AudioClock, TheMachinesOwnOutputOrTheSilentOneKeepsTheClockRunning) {
  const Silent_Song song(testing::Tone_Wav(8000, 1, 5, 0));  // silence
  Audio_Engine engine;
  ASSERT_TRUE(Open_Decoded(engine, song.path));
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

TEST(AudioFiles, AFileThatCannotBePlayedIsRefusedWithAReason) {
  const std::string wav = testing::Tone_Wav(8000, 1, 1, 440);
  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c :
       {Case{"empty.wav", ""}, Case{"text.mp3", "These are lyrics, not a song.\n"},
        Case{"header.wav", wav.substr(0, 30)}, Case{"noise.ogg", std::string(4000, '\x5A')},
        Case{"damaged.mid", std::string("MThd\0\0\0\x06\0\0\0\x01", 12)},
        Case{"riff.mid", "RIFF" + testing::Note_Midi(1, 1).substr(4)}}) {
    Silent_Song audio(c.bytes, c.name);
    Audio_Error error;
    EXPECT_FALSE(audio.engine.Open(audio.path, error)) << c.name;
    EXPECT_FALSE(error.Description.empty()) << c.name;
    EXPECT_FALSE(audio.engine.Is_Open()) << c.name;
  }
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
