#include "audio/ffmpeg_decoder.h"

#include <gtest/gtest.h>

#include <random>

#include "audio/audio_files.h"

namespace lyricanvas {
namespace {

/// Opens and decodes bytes in memory: refused with a reason, or decoded to a finished song.
struct Decoded {
  bool opened = false;
  Audio_Error error;
  Pcm_Buffer pcm;
  explicit Decoded(const std::string& bytes) {
    Audio_Decoder_Ptr decoder = Open_Audio_Decoder(testing::Bytes(bytes), error);
    opened = decoder != nullptr;
    if (opened) Decode_All(*decoder, pcm, std::stop_source().get_token());
  }
};

/// A 2-second 500 Hz tone at 48 kHz mono, as WAV and in each format the ffmpeg command writes.
std::vector<std::pair<std::string, std::string>> Encoded_Tones() {
  testing::Temp_Dir dir;
  std::string wav = dir.File("tone.wav");
  testing::Write_File(wav, testing::Tone_Wav(48000, 1, 2, 500));
  std::vector<std::pair<std::string, std::string>> tones{{"wav", testing::Read_File(wav)}};
  for (const char* format : {"mp3", "ogg", "flac", "m4a", "wma"}) {
    std::string path = dir.File(std::string("tone.") + format);
    const auto made =
        testing::Run_Command("ffmpeg -nostdin -v error -y -i '" + wav + "' '" + path + "' 2>&1");
    EXPECT_EQ(made.exit_code, 0) << format << ": " << made.output;
    tones.emplace_back(format, testing::Read_File(path));
  }
  return tones;
}

TEST(AudioDecoder, EveryFormatDecodesToTheToneAndDamagedCopiesAreRefusedOrDecodeWhatIsLeft) {
  std::mt19937 random(20261206);
  for (const auto& [format, bytes] : Encoded_Tones()) {
    Decoded whole(bytes);
    ASSERT_TRUE(whole.opened) << format;
    EXPECT_NEAR(whole.pcm.Duration(), 2.0, 0.06) << format;
    // Resampled to the output's rate and channels, the tone keeps its pitch.
    std::vector<std::int16_t> middle(Audio_Sample_Rate / 2 * Audio_Channels);
    ASSERT_EQ(whole.pcm.Copy(Audio_Sample_Rate / 2, middle), Audio_Sample_Rate / 2) << format;
    EXPECT_NEAR(testing::Crossings_Per_Second(middle, Audio_Sample_Rate), 1000, 10) << format;
    std::vector<std::string> damaged;
    for (std::size_t cut :
         {std::size_t{0}, std::size_t{4}, std::size_t{45}, bytes.size() / 3, bytes.size() - 1})
      damaged.push_back(bytes.substr(0, cut));
    for (int run = 0; run < 6; ++run) {
      std::string flipped = bytes;
      for (int k = 0; k < 40; ++k)
        flipped[random() % flipped.size()] ^= static_cast<char>(1 + random() % 255);
      damaged.push_back(flipped);
    }
    for (const std::string& song : damaged) {
      Decoded d(song);
      if (!d.opened) {
        EXPECT_FALSE(d.error.Description.empty()) << format << " " << song.size();
        continue;
      }
      EXPECT_TRUE(d.pcm.Finished());
      EXPECT_LE(d.pcm.Frames(), whole.pcm.Frames() + Audio_Sample_Rate / 10)
          << format << " " << song.size();
    }
  }
}

}  // namespace
}  // namespace lyricanvas
