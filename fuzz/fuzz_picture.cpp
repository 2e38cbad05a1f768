// The BMP reader on arbitrary bytes: a refusal must come with a message naming the picture, and
// an accepted picture must leave only colour values 0..255 in the work buffer.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "pictures/reduction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto work = std::make_unique<lyricanvas::Picture_Work>();
  std::string message;
  const bool ok = lyricanvas::Read_And_Count(*work, std::span<const std::uint8_t>(data, size),
                                             "fuzz.bmp", true, message);
  if (!ok && message.find("fuzz.bmp") == std::string::npos) std::abort();
  if (ok)
    for (double value : work->Picture_Buffer.values)
      if (!(value >= 0 && value <= 255)) std::abort();
  return 0;
}
