#include "audio/playback_stream.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>

namespace lyricanvas {

namespace {

constexpr std::size_t Block_Frames = 1024;
using RubberBand::RubberBandStretcher;

std::int16_t To_Sample(float value) {
  return static_cast<std::int16_t>(std::lround(std::clamp(value * 32768.0f, -32768.0f, 32767.0f)));
}

}  // namespace

Playback_Stream::Playback_Stream(std::shared_ptr<const Pcm_Buffer> pcm)
    : pcm_(std::move(pcm)),
      samples_(Block_Frames * Audio_Channels),
      left_(Block_Frames),
      right_(Block_Frames) {}

Playback_Stream::~Playback_Stream() = default;

void Playback_Stream::Start_Segment(double seconds, double rate) {
  base_seconds_ = std::max(0.0, seconds);
  rate_ = rate;
  next_frame_ = std::llround(base_seconds_ * Audio_Sample_Rate);
  handed_ = 0;
  output_ = 0;
  drained_ = false;
  final_sent_ = false;
  if (rate_ == 1.0) return;
  if (!stretcher_) {
    stretcher_ = std::make_unique<RubberBandStretcher>(
        Audio_Sample_Rate, Audio_Channels, RubberBandStretcher::OptionProcessRealTime, 1.0 / rate_, 1.0);
  } else {
    stretcher_->reset();
    stretcher_->setTimeRatio(1.0 / rate_);
  }
  // Leading silence and a dropped start delay line the stretched output up with the song.
  std::fill(left_.begin(), left_.end(), 0.0f);
  std::fill(right_.begin(), right_.end(), 0.0f);
  for (std::size_t pad = stretcher_->getPreferredStartPad(); pad > 0;) {
    std::size_t n = std::min(pad, Block_Frames);
    float* channels[] = {left_.data(), right_.data()};
    stretcher_->process(channels, n, false);
    pad -= n;
  }
  discard_ = static_cast<std::int64_t>(stretcher_->getStartDelay());
}

std::int64_t Playback_Stream::Pull(std::span<std::int16_t> out) {
  std::int64_t frames = rate_ == 1.0 ? Pull_Straight(out) : Pull_Stretched(out);
  std::fill(out.begin() + frames * Audio_Channels, out.end(), std::int16_t{0});
  handed_ += frames;
  output_ += static_cast<std::int64_t>(out.size() / Audio_Channels);
  return frames;
}

double Playback_Stream::Position(std::int64_t buffered) const {
  // Silence after the end (or while the decoder was behind) is not song.
  std::int64_t heard = std::clamp<std::int64_t>(output_ - buffered, 0, handed_);
  return base_seconds_ + double(heard) * rate_ / Audio_Sample_Rate;
}

std::int64_t Playback_Stream::Pull_Straight(std::span<std::int16_t> out) {
  std::int64_t frames = pcm_->Copy(next_frame_, out);
  next_frame_ += frames;
  if (pcm_->Finished() && next_frame_ >= pcm_->Frames()) drained_ = true;
  return frames;
}

std::int64_t Playback_Stream::Pull_Stretched(std::span<std::int16_t> out) {
  const auto wanted = static_cast<std::int64_t>(out.size() / Audio_Channels);
  std::int64_t produced = 0;
  while (produced < wanted && !drained_) {
    int available = stretcher_->available();
    if (available > 0) {
      std::int64_t dropped_before = discard_;
      std::int64_t taken = Take_Stretched(out.subspan(produced * Audio_Channels),
                                          std::min<std::int64_t>(available, wanted - produced));
      if (taken == 0 && discard_ == dropped_before) break;
      produced += taken;
    } else if (available < 0) {
      drained_ = true;
    } else if (!Feed_Stretcher()) {
      break;
    }
  }
  return produced;
}

bool Playback_Stream::Feed_Stretcher() {
  if (final_sent_) return false;
  std::size_t wanted = std::clamp<std::size_t>(stretcher_->getSamplesRequired(), 1, Block_Frames);
  std::int64_t frames = pcm_->Copy(next_frame_, std::span(samples_).first(wanted * Audio_Channels));
  next_frame_ += frames;
  bool last = pcm_->Finished() && next_frame_ >= pcm_->Frames();
  if (frames == 0 && !last) return false;
  for (std::int64_t i = 0; i < frames; ++i) {
    left_[static_cast<std::size_t>(i)] = samples_[static_cast<std::size_t>(2 * i)] / 32768.0f;
    right_[static_cast<std::size_t>(i)] = samples_[static_cast<std::size_t>(2 * i + 1)] / 32768.0f;
  }
  float* channels[] = {left_.data(), right_.data()};
  stretcher_->process(channels, static_cast<std::size_t>(frames), last);
  final_sent_ = last;
  return true;
}

std::int64_t Playback_Stream::Take_Stretched(std::span<std::int16_t> out, std::int64_t wanted) {
  auto count = static_cast<std::size_t>(std::min<std::int64_t>(wanted, Block_Frames));
  float* channels[] = {left_.data(), right_.data()};
  count = stretcher_->retrieve(channels, count);
  std::size_t skip = static_cast<std::size_t>(std::min<std::int64_t>(discard_, static_cast<std::int64_t>(count)));
  discard_ -= static_cast<std::int64_t>(skip);
  std::size_t kept = count - skip;
  for (std::size_t i = 0; i < kept; ++i) {
    out[2 * i] = To_Sample(left_[skip + i]);
    out[2 * i + 1] = To_Sample(right_[skip + i]);
  }
  return static_cast<std::int64_t>(kept);
}

}  // namespace lyricanvas
