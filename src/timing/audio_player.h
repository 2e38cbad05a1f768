#pragma once
// The song's audio as the timing editor sees it: open a file, run, stop, and the duration,
// position and rate in song seconds. The audio library implements it with real decoding and
// output; the timing code and its tests only see this interface, so tests use a fake.
#include <cstdint>
#include <span>
#include <string>

namespace lyricanvas {

/// Why a file cannot be played: a number (the decoder's error code, or ours) and a text.
struct Audio_Error {
  int Number = 0;
  std::string Description;
  bool operator==(const Audio_Error&) const = default;
};

/// Every song is played as 44.1 kHz stereo, 16-bit samples interleaved left, right.
constexpr int Audio_Sample_Rate = 44100;
constexpr int Audio_Channels = 2;

class Audio_Player {
 public:
  virtual ~Audio_Player() = default;

  /// Opens the song for playback (stopped at 0), replacing any open one. On failure nothing is
  /// open and `error` says why.
  virtual bool Open(const std::string& path, Audio_Error& error) = 0;
  virtual void Close() = 0;
  virtual bool Is_Open() const = 0;

  virtual void Run() = 0;
  virtual void Stop() = 0;
  /// True while running and the song has not played to its end.
  virtual bool Is_Running() const = 0;

  /// Length of the song in seconds (the container's estimate until decoding has finished).
  virtual double Duration() const = 0;
  /// Song position of the samples actually heard, in seconds.
  virtual double Position() const = 0;
  virtual void Set_Position(double seconds) = 0;
  /// Speed factor: 1.0, or 0.5 at half speed (pitch kept).
  virtual double Rate() const = 0;
  virtual void Set_Rate(double rate) = 0;

  /// Frames decoded so far (one frame = one sample per channel).
  virtual std::int64_t Decoded_Frames() const = 0;
  /// Copies decoded frames from `first` on into `out` (interleaved); returns the frames copied,
  /// fewer when the range passes the decoded part.
  virtual std::int64_t Copy_Frames(std::int64_t first, std::span<std::int16_t> out) const = 0;
};

}  // namespace lyricanvas
