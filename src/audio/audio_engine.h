#pragma once
// The song player of the timing editor: opens an audio or MIDI file, decodes it on a worker
// thread into memory, and plays it through the system's sound output, or, when the machine has
// none, through a silent output that takes the samples at the pace a sound card would. The
// position it reports is the song time of the samples heard.
#include <memory>

#include "timing/audio_player.h"
#include "timing/steady_clock.h"

namespace lyricanvas {

enum class Audio_Output {
  Automatic,  ///< the default sound device, or the silent output when there is none
  Silent,     ///< always the silent output
};

class Audio_Engine final : public Audio_Player {
 public:
  /// The steady clock paces the silent output; the sound device paces itself.
  explicit Audio_Engine(Audio_Output output = Audio_Output::Automatic, Steady_Clock now = Steady_Seconds);
  ~Audio_Engine() override;
  Audio_Engine(const Audio_Engine&) = delete;
  Audio_Engine& operator=(const Audio_Engine&) = delete;

  bool Open(const std::string& path, Audio_Error& error) override;
  void Close() override;
  bool Is_Open() const override;
  void Run() override;
  void Stop() override;
  bool Is_Running() const override;
  double Duration() const override;
  double Position() const override;
  void Set_Position(double seconds) override;
  double Rate() const override;
  void Set_Rate(double rate) override;
  std::int64_t Decoded_Frames() const override;
  std::int64_t Copy_Frames(std::int64_t first, std::span<std::int16_t> out) const override;

  /// True when sound goes to a real device.
  bool Plays_On_Device() const;
  /// Waits until `seconds` of the song are decoded or decoding ended; false on time-out.
  bool Wait_Decoded(double seconds, double timeout_seconds) const;
  bool Decoding_Finished() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace lyricanvas
