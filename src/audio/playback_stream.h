#pragma once
// The samples on their way from the decoded song to the output: straight at normal speed,
// through a time stretcher at other speeds (pitch kept). It also keeps the books the song clock
// reads: where the current stretch of playing began and how many frames went out since.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "audio/pcm_buffer.h"

namespace RubberBand {
class RubberBandStretcher;
}

namespace lyricanvas {

class Playback_Stream {
 public:
  explicit Playback_Stream(std::shared_ptr<const Pcm_Buffer> pcm);
  ~Playback_Stream();

  /// Plays on from `seconds` of the song at `rate`; what went out before no longer counts.
  void Start_Segment(double seconds, double rate);
  /// Fills `out` from the front with the next frames for the output; returns the frames that
  /// are song (fewer when the decoder is behind or the song has ended).
  std::int64_t Pull(std::span<std::int16_t> out);

  /// Song position of the frames handed out, less `buffered` output frames not yet heard.
  double Position(std::int64_t buffered) const;
  double Rate() const { return rate_; }
  /// Everything of the song has gone out.
  bool Drained() const { return drained_; }
  /// Everything of the song has gone out and been heard.
  bool All_Heard(std::int64_t buffered) const { return drained_ && output_ - buffered >= handed_; }

 private:
  std::int64_t Pull_Straight(std::span<std::int16_t> out);
  std::int64_t Pull_Stretched(std::span<std::int16_t> out);
  /// Gives the stretcher the next song frames; false when the decoder has none yet.
  bool Feed_Stretcher();
  std::int64_t Take_Stretched(std::span<std::int16_t> out, std::int64_t wanted);

  std::shared_ptr<const Pcm_Buffer> pcm_;
  double base_seconds_ = 0;     ///< song position where the segment began
  double rate_ = 1;
  std::int64_t next_frame_ = 0; ///< next song frame to take from the buffer
  std::int64_t handed_ = 0;     ///< output frames of song handed out in this segment
  std::int64_t output_ = 0;     ///< all frames handed out in this segment, silence included
  bool drained_ = false;

  std::unique_ptr<RubberBand::RubberBandStretcher> stretcher_;
  std::int64_t discard_ = 0;    ///< output frames of the stretcher's start delay still to drop
  bool final_sent_ = false;
  std::vector<std::int16_t> samples_;
  std::vector<float> left_, right_;
};

}  // namespace lyricanvas
