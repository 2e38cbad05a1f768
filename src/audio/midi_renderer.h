#pragma once
// MIDI and KAR songs rendered to 44.1 kHz stereo with a General MIDI sound font, so they play
// through the same buffer, output and clock as any audio file.
#include <cstdint>
#include <memory>
#include <span>
#include <stop_token>
#include <vector>

#include "audio/pcm_buffer.h"
#include "timing/audio_player.h"

namespace lyricanvas {

constexpr const char* Midi_Sound_Font = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

/// True when the bytes begin like a Standard MIDI file (a .kar is one too).
bool Is_Midi(std::span<const std::uint8_t> head);

struct Midi_Renderer;
struct Midi_Renderer_Deleter {
  void operator()(Midi_Renderer* renderer) const;
};
using Midi_Renderer_Ptr = std::unique_ptr<Midi_Renderer, Midi_Renderer_Deleter>;

/// Starts playing the file into the synthesizer; nothing, with `error` set, when the file
/// cannot be read or the sound font is missing. One renderer exists at a time: opening a second
/// waits until the first is gone.
Midi_Renderer_Ptr Open_Midi_Renderer(std::vector<std::uint8_t> bytes, Audio_Error& error);

/// Renders until the song ends (plus a second for the last notes to fade), a stop is requested
/// or `max_frames` are written, then finishes `pcm`.
void Render_All(Midi_Renderer& renderer, Pcm_Buffer& pcm, std::stop_token stop,
                std::int64_t max_frames = Max_Song_Frames);

}  // namespace lyricanvas
