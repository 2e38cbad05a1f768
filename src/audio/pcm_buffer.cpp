#include "audio/pcm_buffer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace lyricanvas {

void Pcm_Buffer::Expect_Seconds(double seconds) {
  if (!(seconds > 0)) return;
  double frames = std::min(seconds * Audio_Sample_Rate * 1.02, double(Max_Song_Frames));
  std::lock_guard lock(mutex_);
  expected_seconds_ = seconds;
  samples_.reserve(static_cast<std::size_t>(frames) * Audio_Channels);
}

bool Pcm_Buffer::Append(std::span<const std::int16_t> samples) {
  {
    std::lock_guard lock(mutex_);
    std::size_t room = static_cast<std::size_t>(Max_Song_Frames) * Audio_Channels - samples_.size();
    std::size_t take = std::min(room, samples.size() - samples.size() % Audio_Channels);
    samples_.insert(samples_.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(take));
    if (take < samples.size() - samples.size() % Audio_Channels) return false;
  }
  grown_.notify_all();
  return true;
}

void Pcm_Buffer::Truncate(std::int64_t frames) {
  std::lock_guard lock(mutex_);
  auto samples = static_cast<std::size_t>(std::max<std::int64_t>(frames, 0)) * Audio_Channels;
  if (samples < samples_.size()) samples_.resize(samples);
}

void Pcm_Buffer::Finish() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  grown_.notify_all();
}

std::int64_t Pcm_Buffer::Frames() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::int64_t>(samples_.size() / Audio_Channels);
}

bool Pcm_Buffer::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

double Pcm_Buffer::Duration() const {
  std::lock_guard lock(mutex_);
  double decoded = double(samples_.size() / Audio_Channels) / Audio_Sample_Rate;
  return finished_ ? decoded : std::max(decoded, expected_seconds_);
}

std::int64_t Pcm_Buffer::Copy(std::int64_t first, std::span<std::int16_t> out) const {
  std::lock_guard lock(mutex_);
  auto frames = static_cast<std::int64_t>(samples_.size() / Audio_Channels);
  if (first < 0 || first >= frames) return 0;
  std::int64_t count = std::min<std::int64_t>(frames - first, static_cast<std::int64_t>(out.size() / Audio_Channels));
  auto begin = samples_.begin() + static_cast<std::ptrdiff_t>(first * Audio_Channels);
  std::copy(begin, begin + static_cast<std::ptrdiff_t>(count * Audio_Channels), out.begin());
  return count;
}

bool Pcm_Buffer::Wait_For(std::int64_t frames, double timeout_seconds) const {
  std::unique_lock lock(mutex_);
  return grown_.wait_for(lock, std::chrono::duration<double>(timeout_seconds), [&] {
    return finished_ || static_cast<std::int64_t>(samples_.size() / Audio_Channels) >= frames;
  });
}

}  // namespace lyricanvas
