#pragma once
// A song player without sound: its position runs from a clock the test moves by hand, at the rate
// set, and (as a real decoder's may) runs on past the duration. Frame k holds the sample
// k % 30000 - 15000 on the left and half of it on the right.
#include <algorithm>
#include <set>
#include <string>

#include "timing/audio_player.h"

namespace lyricanvas::testing {

struct Fake_Audio_Player final : Audio_Player {
  double* now = nullptr;  ///< the test's clock, seconds
  double duration = 200;
  std::set<std::string> unplayable;  ///< paths that fail to open
  std::int64_t decoded_frames = 0;
  int opened = 0;
  bool open = false;
  bool running = false;
  double rate = 1;
  double base = 0;  ///< position when the clock read `since`
  double since = 0;

  explicit Fake_Audio_Player(double& clock) : now(&clock) {}

  bool Open(const std::string& path, Audio_Error& error) override {
    Close();
    if (unplayable.count(path)) {
      error = {-1094995529, "Invalid data found when processing input"};
      return false;
    }
    open = true;
    ++opened;
    Restart(0);
    return true;
  }
  void Close() override { open = running = false; }
  bool Is_Open() const override { return open; }
  void Run() override {
    Restart(Position());
    running = true;
  }
  void Stop() override {
    Restart(Position());
    running = false;
  }
  bool Is_Running() const override { return running && Position() < duration; }
  double Duration() const override { return duration; }
  double Position() const override { return base + (running ? (*now - since) * rate : 0); }
  void Set_Position(double seconds) override { Restart(std::clamp(seconds, 0.0, duration)); }
  double Rate() const override { return rate; }
  void Set_Rate(double r) override {
    Restart(Position());
    rate = r;
  }
  std::int64_t Decoded_Frames() const override { return decoded_frames; }
  std::int64_t Copy_Frames(std::int64_t first, std::span<std::int16_t> out) const override {
    const std::int64_t count =
        std::clamp<std::int64_t>(decoded_frames - first, 0, std::ssize(out) / 2);
    for (std::int64_t i = 0; i < count; ++i) {
      const auto value = static_cast<std::int16_t>((first + i) % 30000 - 15000);
      out[static_cast<std::size_t>(2 * i)] = value;
      out[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::int16_t>(value / 2);
    }
    return count;
  }
  void Restart(double position) {
    base = position;
    since = *now;
  }
};

}  // namespace lyricanvas::testing
