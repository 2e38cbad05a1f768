// The WAV header reader of the .bin writer on arbitrary bytes: it must answer without reading
// past the input, and any audio it finds must lie inside the input.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "cdg/output_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  auto layout = lyricanvas::Read_Wav_Header(std::span<const std::uint8_t>(data, size), error);
  if (layout && (layout->data_offset > size || layout->data_size > size - layout->data_offset))
    std::abort();
  if (!layout && error.empty()) std::abort();
  return 0;
}
