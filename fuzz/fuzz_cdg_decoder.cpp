// The preview decoder on arbitrary bytes: it must never crash or read outside its buffers, every
// shown colour index is a palette entry, the offsets stay within a tile, and feeding the packs
// in two parts ends in the same state as feeding them at once.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "cdg/cdg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  lyricanvas::Cdg_Decoder whole;
  std::int64_t packs = lyricanvas::Cdg_Decode_Packs(whole, bytes);
  if (packs != static_cast<std::int64_t>(size / lyricanvas::Cdg_Pack_Bytes)) std::abort();
  if (whole.h_offset < 0 || whole.h_offset > 5 || whole.v_offset < 0 || whole.v_offset > 11)
    std::abort();
  for (std::uint8_t index : whole.memory)
    if (index > 15) std::abort();

  std::size_t split = packs / 2 * lyricanvas::Cdg_Pack_Bytes;
  lyricanvas::Cdg_Decoder parts;
  lyricanvas::Cdg_Decode_Packs(parts, bytes.first(split));
  lyricanvas::Cdg_Decode_Packs(parts, bytes.subspan(split));
  if (parts.memory != whole.memory || parts.palette != whole.palette ||
      parts.h_offset != whole.h_offset || parts.v_offset != whole.v_offset)
    std::abort();

  QImage image = lyricanvas::Cdg_Image(whole);
  if (image.width() != lyricanvas::Cdg_Width || image.height() != lyricanvas::Cdg_Height) std::abort();
  std::int64_t pick = size > 0 ? static_cast<std::int64_t>(data[0]) - 2 : 0;
  (void)lyricanvas::Decode_Frame(bytes, pick);
  return 0;
}
