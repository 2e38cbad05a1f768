#include "audio/midi_renderer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "project/midi_import.h"

namespace lyricanvas {

namespace {

constexpr int Block_Frames = 4096;
constexpr std::int64_t Fade_Frames = Audio_Sample_Rate;
/// Quieter than this (about -72 dB) counts as the silence after the last note.
constexpr int Audible = 8;
constexpr std::int64_t Ending_Frames = Audio_Sample_Rate / 10;

/// One synthesizer for the whole process: loading the sound font takes a while and much memory.
struct Shared_Synth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  bool loaded = false;
  std::mutex busy;  ///< held by the renderer that uses the synthesizer

  Shared_Synth() {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) fluid_set_log_function(level, nullptr, nullptr);
    settings = new_fluid_settings();
    if (settings == nullptr) return;
    fluid_settings_setnum(settings, "synth.sample-rate", Audio_Sample_Rate);
    fluid_settings_setnum(settings, "synth.gain", 0.5);
    // The player follows the samples rendered, not the wall clock, so it can run ahead.
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    synth = new_fluid_synth(settings);
    loaded = synth != nullptr && fluid_synth_sfload(synth, Midi_Sound_Font, 1) != FLUID_FAILED;
  }
  ~Shared_Synth() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }
};

Shared_Synth& Synth() {
  static Shared_Synth shared;
  return shared;
}

}  // namespace

struct Midi_Renderer {
  std::unique_lock<std::mutex> lock;
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  std::vector<std::uint8_t> bytes;
  std::vector<std::int16_t> block = std::vector<std::int16_t>(Block_Frames * Audio_Channels);

  ~Midi_Renderer() {
    if (player != nullptr) {
      fluid_player_stop(player);
      delete_fluid_player(player);
    }
  }

  /// Renders the next block into `block`; the frames before the last audible one in it.
  std::int64_t Render_Block() {
    fluid_synth_write_s16(synth, Block_Frames, block.data(), 0, 2, block.data(), 1, 2);
    auto loud = std::find_if(block.rbegin(), block.rend(), [](std::int16_t s) { return s > Audible || s < -Audible; });
    return static_cast<std::int64_t>(block.rend() - loud + 1) / Audio_Channels;
  }
  bool Playing() const { return fluid_player_get_status(player) == FLUID_PLAYER_PLAYING; }
};

void Midi_Renderer_Deleter::operator()(Midi_Renderer* renderer) const { delete renderer; }

bool Is_Midi(std::span<const std::uint8_t> head) {
  return head.size() >= 4 && std::memcmp(head.data(), "MThd", 4) == 0;
}

Midi_Renderer_Ptr Open_Midi_Renderer(std::vector<std::uint8_t> bytes, Audio_Error& error) {
  // The synthesizer's player says nothing about a damaged file; our own reader does.
  Midi_Import check;
  if (!Parse_Chunks(check, bytes)) {
    error = {3, "The MIDI file cannot be read: " + check.Error};
    return nullptr;
  }
  Shared_Synth& shared = Synth();
  if (!shared.loaded) {
    error = {2, std::string("The sound font ") + Midi_Sound_Font + " cannot be loaded"};
    return nullptr;
  }
  Midi_Renderer_Ptr r(new Midi_Renderer);
  r->lock = std::unique_lock(shared.busy);
  r->synth = shared.synth;
  r->bytes = std::move(bytes);
  fluid_synth_system_reset(r->synth);
  r->player = new_fluid_player(r->synth);
  if (r->player == nullptr ||
      fluid_player_add_mem(r->player, r->bytes.data(), r->bytes.size()) == FLUID_FAILED ||
      fluid_player_play(r->player) == FLUID_FAILED) {
    error = {3, "The MIDI file cannot be read"};
    return nullptr;
  }
  return r;
}

void Render_All(Midi_Renderer& r, Pcm_Buffer& pcm, std::stop_token stop, std::int64_t max_frames) {
  std::int64_t written = 0;
  std::int64_t fade = 0;
  std::int64_t audible_end = 0;
  while (!stop.stop_requested() && written < max_frames && fade < Fade_Frames) {
    if (!r.Playing()) fade += Block_Frames;
    std::int64_t audible = r.Render_Block();
    if (audible > 0) audible_end = written + audible;
    if (!pcm.Append(r.block)) break;
    written += Block_Frames;
  }
  // The player reports its end a while after the last note; the song ends when it is heard.
  if (!stop.stop_requested()) pcm.Truncate(std::min(written, audible_end + Ending_Frames));
  pcm.Finish();
}

}  // namespace lyricanvas
