// The MIDI song renderer on arbitrary bytes: a damaged file is refused with a message, any other
// renders without a crash or a hang.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "audio/midi_renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lyricanvas;
  Audio_Error error;
  Midi_Renderer_Ptr renderer = Open_Midi_Renderer(std::vector<std::uint8_t>(data, data + size), error);
  if (!renderer) {
    if (error.Description.empty()) std::abort();
    return 0;
  }
  Pcm_Buffer pcm;
  std::stop_source never;
  Render_All(*renderer, pcm, never.get_token(), std::int64_t{10} * Audio_Sample_Rate);
  if (!pcm.Finished()) std::abort();
  return 0;
}
