// The song decoder on arbitrary bytes: opening either refuses with a message or gives a stream
// that decodes to the end without a crash or a hang, into whole stereo frames.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "audio/ffmpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lyricanvas;
  Audio_Error error;
  Audio_Decoder_Ptr decoder = Open_Audio_Decoder(std::span(data, size), error);
  if (!decoder) {
    if (error.Description.empty()) std::abort();
    return 0;
  }
  Pcm_Buffer pcm;
  std::stop_source never;
  // A minute is plenty to reach every path, and keeps a tiny file that claims hours quick.
  Decode_All(*decoder, pcm, never.get_token(), std::int64_t{60} * Audio_Sample_Rate);
  if (!pcm.Finished() || pcm.Duration() < 0) std::abort();
  return 0;
}
