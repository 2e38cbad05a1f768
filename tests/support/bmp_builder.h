#pragma once
// Builds BMP files in memory for the picture tests: any size, 4, 8 or 24 bits, either row order
// and the usual header sizes, with the pixels given by a function of (x, y from the top).
#include <array>
#include <functional>

#include "support/test_support.h"

namespace lyricanvas::testing {

using Rgb8 = std::array<int, 3>;

struct Bmp_Shape {
  int width = 1;
  int height = 1;
  int bits = 24;
  bool top_down = false;
  std::uint32_t header_size = 40;
  std::vector<Rgb8> palette{};            ///< colour table of a 4- or 8-bit picture
  std::function<Rgb8(int, int)> color{};  ///< 24-bit: colour at (x, y from the top)
  std::function<int(int, int)> index{};   ///< 4/8-bit: palette index at (x, y from the top)
};

inline Bmp_Shape Shape(int width, int height, int bits = 24) {
  return {.width = width, .height = height, .bits = bits};
}

inline std::string Make_Bmp(const Bmp_Shape& shape) {
  const std::uint32_t table =
      shape.bits == 24 ? 0 : static_cast<std::uint32_t>(4 * shape.palette.size());
  const std::uint32_t offset = 14 + shape.header_size + table;
  const std::uint32_t row_bytes =
      (static_cast<std::uint32_t>(shape.width) * shape.bits + 31) / 32 * 4;
  const std::uint32_t pixels = row_bytes * shape.height;
  const int signed_height = shape.top_down ? -shape.height : shape.height;
  std::string out = "BM" + Le(offset + pixels, 4) + Le(0, 4) + Le(offset, 4);
  out += Le(shape.header_size, 4) + Le(shape.width, 4) + Le(signed_height, 4) + Le(1, 2);
  out += Le(shape.bits, 2) + Le(0, 4) + Le(pixels, 4) + Le(2835, 4) + Le(2835, 4);  // uncompressed
  out += Le(shape.bits == 24 ? 0 : shape.palette.size(), 4) + Le(0, 4);
  out.resize(14 + shape.header_size, '\0');  // the larger headers' masks and colour space
  for (const Rgb8& c : shape.palette) out += Le(c[2] | c[1] << 8 | c[0] << 16, 4);
  for (int r = 0; r < shape.height; ++r) {
    const int y = shape.top_down ? r : shape.height - 1 - r;  // y from the top
    std::string row(row_bytes, '\0');
    for (int x = 0; x < shape.width; ++x) {
      if (shape.bits == 24) {
        const Rgb8 c = shape.color(x, y);
        row.replace(3 * x, 3, Le(c[2] | c[1] << 8 | c[0] << 16, 3));
      } else if (shape.bits == 8) {
        row[x] = static_cast<char>(shape.index(x, y));
      } else {
        const int i = shape.index(x, y) & 15;
        row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? i << 4 : i));
      }
    }
    out += row;
  }
  return out;
}

}  // namespace lyricanvas::testing
