#pragma once
// Builds BMP files in memory for the picture tests: any size, 4, 8 or 24 bits, either row order
// and the usual header sizes, with the pixels given by a function of (x, y from the top).
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lyricanvas::testing {

using Rgb8 = std::array<int, 3>;

struct Bmp_Spec {
  int width = 1;
  int height = 1;
  int bits = 24;
  bool top_down = false;
  std::uint32_t header_size = 40;
  std::vector<Rgb8> palette;                   ///< colour table of a 4- or 8-bit picture
  std::function<Rgb8(int, int)> color;         ///< 24-bit: colour at (x, y from the top)
  std::function<int(int, int)> index;          ///< 4/8-bit: palette index at (x, y from the top)
};

inline Bmp_Spec Spec(int width, int height, int bits = 24) {
  Bmp_Spec spec;
  spec.width = width;
  spec.height = height;
  spec.bits = bits;
  return spec;
}

inline void Put_Le(std::string& out, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

inline std::string Make_Bmp(const Bmp_Spec& spec) {
  const std::uint32_t table = spec.bits == 24 ? 0 : static_cast<std::uint32_t>(4 * spec.palette.size());
  const std::uint32_t offset = 14 + spec.header_size + table;
  const std::uint32_t row_bytes = (static_cast<std::uint32_t>(spec.width) * spec.bits + 31) / 32 * 4;
  std::string out = "BM";
  Put_Le(out, offset + row_bytes * static_cast<std::uint32_t>(spec.height), 4);
  Put_Le(out, 0, 4);
  Put_Le(out, offset, 4);
  Put_Le(out, spec.header_size, 4);
  Put_Le(out, static_cast<std::uint32_t>(spec.width), 4);
  Put_Le(out, static_cast<std::uint32_t>(spec.top_down ? -spec.height : spec.height), 4);
  Put_Le(out, 1, 2);
  Put_Le(out, static_cast<std::uint32_t>(spec.bits), 2);
  Put_Le(out, 0, 4);                                // no compression
  Put_Le(out, row_bytes * spec.height, 4);
  Put_Le(out, 2835, 4);
  Put_Le(out, 2835, 4);
  Put_Le(out, spec.bits == 24 ? 0 : spec.palette.size(), 4);
  Put_Le(out, 0, 4);
  out.resize(14 + spec.header_size, '\0');          // the larger headers' masks and colour space
  for (const Rgb8& c : spec.palette) {
    out += static_cast<char>(c[2]);
    out += static_cast<char>(c[1]);
    out += static_cast<char>(c[0]);
    out += '\0';
  }
  for (int r = 0; r < spec.height; ++r) {
    const int y = spec.top_down ? r : spec.height - 1 - r;  // y from the top
    std::string row(row_bytes, '\0');
    for (int x = 0; x < spec.width; ++x) {
      if (spec.bits == 24) {
        const Rgb8 c = spec.color(x, y);
        row[3 * x] = static_cast<char>(c[2]);
        row[3 * x + 1] = static_cast<char>(c[1]);
        row[3 * x + 2] = static_cast<char>(c[0]);
      } else if (spec.bits == 8) {
        row[x] = static_cast<char>(spec.index(x, y));
      } else {
        const int i = spec.index(x, y) & 15;
        row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? i << 4 : i));
      }
    }
    out += row;
  }
  return out;
}

}  // namespace lyricanvas::testing
