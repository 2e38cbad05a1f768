#pragma once
// Songs made on the spot for the audio tests: WAV files of a tone and small MIDI files.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace lyricanvas::testing {

/// A 16-bit PCM WAV of a sine of `hertz` at half of full scale (silence with hertz 0).
inline std::string Tone_Wav(int sample_rate, int channels, double seconds, double hertz) {
  const auto frames = static_cast<std::uint32_t>(std::lround(seconds * sample_rate));
  const std::uint32_t data_bytes = frames * channels * 2;
  std::string wav = Wav_Header(data_bytes, sample_rate, channels);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double value = 16384 * std::sin(2 * std::numbers::pi * hertz * i / sample_rate);
    for (int c = 0; c < channels; ++c) wav += Le(static_cast<std::uint16_t>(std::lround(value)), 2);
  }
  return wav;
}

/// A format 0 MIDI file at 120 beats per minute, 480 ticks per quarter (a quarter is 0.5 s):
/// after `rest` quarters, a piano note of `length` quarters.
inline std::string Note_Midi(int rest, int length) {
  auto var = [](std::uint32_t value) {
    std::string out(1, static_cast<char>(value & 0x7F));
    while (value >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return out;
  };
  std::string events = var(0) + "\xFF\x51\x03\x07\xA1\x20";                // tempo 500000 us
  events += var(static_cast<std::uint32_t>(rest * 480)) + "\x90\x3C\x64";  // note on, C4
  events += var(static_cast<std::uint32_t>(length * 480)) + std::string("\x80\x3C\0", 3);  // off
  events += var(0) + std::string("\xFF\x2F\x00", 3);  // end of track
  const std::string size = Le(events.size(), 4);      // big-endian in MIDI files
  return std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14) + "MTrk" +
         std::string(size.rbegin(), size.rend()) + events;
}

/// Zero crossings per second of the left channel, twice a tone's frequency.
inline double Crossings_Per_Second(const std::vector<std::int16_t>& interleaved, int sample_rate) {
  int crossings = 0;
  for (std::size_t i = 2; i < interleaved.size(); i += 2)
    if ((interleaved[i - 2] < 0) != (interleaved[i] < 0)) ++crossings;
  return crossings * double(sample_rate) / double(interleaved.size() / 2);
}

}  // namespace lyricanvas::testing
