#pragma once
// The decoded song, growing while a worker thread decodes it: 44.1 kHz stereo 16-bit frames,
// read by the playback and the waveform while the decoder still appends.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "timing/audio_player.h"

namespace lyricanvas {

/// The longest song kept (30 minutes); a longer file plays its first 30 minutes.
constexpr std::int64_t Max_Song_Frames = std::int64_t{30} * 60 * Audio_Sample_Rate;

class Pcm_Buffer {
 public:
  /// Room for the song as long as the container says, so appending rarely moves the samples.
  void Expect_Seconds(double seconds);
  /// Appends interleaved frames; false once the buffer holds Max_Song_Frames (the rest is cut).
  bool Append(std::span<const std::int16_t> samples);
  /// Drops the frames from `frames` on (a silent ending).
  void Truncate(std::int64_t frames);
  /// Decoding has ended (completely or at a damaged spot): the length is now exact.
  void Finish();

  std::int64_t Frames() const;
  bool Finished() const;
  /// Seconds decoded, or the container's estimate while decoding when that is longer.
  double Duration() const;
  std::int64_t Copy(std::int64_t first, std::span<std::int16_t> out) const;
  /// Waits until `frames` are decoded or decoding ended; false when the time ran out.
  bool Wait_For(std::int64_t frames, double timeout_seconds) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable grown_;
  std::vector<std::int16_t> samples_;
  double expected_seconds_ = 0;
  bool finished_ = false;
};

}  // namespace lyricanvas
