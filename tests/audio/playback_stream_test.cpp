#include "audio/playback_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/audio_files.h"

namespace lyricanvas {
namespace {

/// A decoded song: `silence` seconds, then a 1 kHz tone for `tone` seconds.
std::shared_ptr<Pcm_Buffer> Song_Buffer(double silence, double tone) {
  std::vector<std::int16_t> samples(2 * static_cast<std::size_t>(silence * Audio_Sample_Rate));
  for (int i = 0; i < tone * Audio_Sample_Rate; ++i)
    samples.insert(samples.end(), 2,
                   static_cast<std::int16_t>(std::lround(
                       12000 * std::sin(2 * std::numbers::pi * 1000.0 * i / Audio_Sample_Rate))));
  auto pcm = std::make_shared<Pcm_Buffer>();
  pcm->Append(samples);
  pcm->Finish();
  return pcm;
}

/// Pulls everything the stream gives until it has drained, in output blocks of 1000 frames.
std::vector<std::int16_t> Pull_All(Playback_Stream& stream) {
  std::vector<std::int16_t> all, block(2000);
  for (int guard = 0; !stream.Drained() && guard < 100000; ++guard) {
    std::int64_t frames = stream.Pull(block);
    all.insert(all.end(), block.begin(), block.begin() + frames * 2);
  }
  return all;
}

TEST(PlaybackStream, AtNormalSpeedTheSongGoesOutFromTheSeekedFrameAndTheClockCountsItsFrames) {
  auto pcm = Song_Buffer(1, 1);
  Playback_Stream whole(pcm), seeked(pcm);
  whole.Start_Segment(0, 1.0);
  seeked.Start_Segment(0.75, 1.0);
  std::vector<std::int16_t> block(2 * 4410);
  EXPECT_EQ(seeked.Pull(block), 4410);
  EXPECT_DOUBLE_EQ(seeked.Position(0), 0.85);
  EXPECT_DOUBLE_EQ(seeked.Position(441), 0.84);  // a hundredth still in the output's buffer
  std::vector<std::int16_t> all = Pull_All(whole), rest = Pull_All(seeked);
  rest.insert(rest.begin(), block.begin(), block.end());
  ASSERT_EQ(all.size(), std::size_t(2 * 2 * Audio_Sample_Rate));
  ASSERT_EQ(rest.size(), all.size() - 2 * 33075);
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), all.begin() + 2 * 33075));
  // Silence after the end fills the output's buffer and is not counted as song.
  EXPECT_EQ(seeked.Pull(block), 0);
  EXPECT_EQ(block.back(), 0);
  EXPECT_DOUBLE_EQ(seeked.Position(4410), 2.0);
  EXPECT_TRUE(seeked.All_Heard(4410));
}

TEST(PlaybackStream, HalfSpeedLastsTwiceAsLongKeepsThePitchAndKeepsTime) {
  Playback_Stream stream(Song_Buffer(1, 2));
  stream.Start_Segment(0, 0.5);
  std::vector<std::int16_t> out = Pull_All(stream);
  EXPECT_NEAR(double(out.size() / 2) / Audio_Sample_Rate, 6.0, 0.05);
  // The tone begins after two seconds of output: the stretcher smears an onset a few
  // milliseconds early, never late (late would mean its start delay went out as song).
  const auto loud = std::ranges::find_if(out, [](std::int16_t v) { return std::abs(v) > 3000; });
  const double onset = double((loud - out.begin()) / 2) / Audio_Sample_Rate;
  EXPECT_GT(onset, 1.975);
  EXPECT_LT(onset, 2.0);
  std::vector<std::int16_t> tone(out.begin() + 2 * 3 * Audio_Sample_Rate,
                                 out.begin() + 2 * 5 * Audio_Sample_Rate);
  // The pitch stays at 1 kHz (2000 crossings a second), not 500 Hz.
  EXPECT_NEAR(testing::Crossings_Per_Second(tone, Audio_Sample_Rate), 2000, 40);
  EXPECT_NEAR(stream.Position(0), 3.0, 0.01);
}

}  // namespace
}  // namespace lyricanvas
