// The BMP reader of the picture import: checks every size and offset of the header against the
// bytes it has before it reads a pixel, so a damaged file gives a message, never a read past the
// end.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "pictures/reduction.h"

namespace lyricanvas {

namespace {

constexpr std::size_t File_Header_Size = 14;
constexpr int Largest_Side = 32767;  ///< sides are kept as 16-bit integers

struct Bmp_Header {
  std::uint32_t pixel_offset = 0;
  std::uint32_t header_size = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  ///< negative: rows are stored top first
  int bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t colors_used = 0;
};

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

bool Known_Header_Size(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

/// The header, or a message naming the picture.
std::optional<Bmp_Header> Parse_Header(std::span<const std::uint8_t> b, const std::string& name,
                                       std::string& message) {
  const std::string invalid = "File " + name + " is no valid BMP file!";
  if (b.size() < 2 || b[0] != 'B' || b[1] != 'M' || b.size() < File_Header_Size + 4) {
    message = invalid;
    return std::nullopt;
  }
  Bmp_Header h;
  h.pixel_offset = U32(b, 10);
  h.header_size = U32(b, 14);
  if (!Known_Header_Size(h.header_size) || b.size() < File_Header_Size + h.header_size) {
    message = invalid;
    return std::nullopt;
  }
  h.width = static_cast<std::int32_t>(U32(b, 18));
  h.height = static_cast<std::int32_t>(U32(b, 22));
  h.bits = U16(b, 28);
  h.compression = U32(b, 30);
  h.colors_used = U32(b, 46);
  if (h.bits != 4 && h.bits != 8 && h.bits != 24) {
    message = "File " + name +
              ": Sorry, only True-color BMP files (24-bit) or Windows BMP's (4-bit or 8-bit) are "
              "supported at this time!";
    return std::nullopt;
  }
  if (h.compression != 0) {
    message = "File " + name + " is compressed; only uncompressed BMP files are supported!";
    return std::nullopt;
  }
  if (h.width <= 0 || h.width > Largest_Side || h.height == 0 || h.height < -Largest_Side ||
      h.height > Largest_Side) {
    message = "File " + name + " has a size that cannot be shown (" + std::to_string(h.width) +
              " x " + std::to_string(h.height) + " pixels)!";
    return std::nullopt;
  }
  return h;
}

std::uint64_t Row_Bytes(const Bmp_Header& h) {
  const auto bits = static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.bits);
  return (bits + 31) / 32 * 4;
}

using Color_Table = std::array<std::array<std::uint8_t, 3>, 256>;  ///< red, green, blue

/// The colour table of a 4- or 8-bit picture; entries the file does not hold stay black.
bool Read_Color_Table(std::span<const std::uint8_t> b, const Bmp_Header& h, Color_Table& table) {
  table = {};
  if (h.bits == 24) return true;
  const std::uint32_t capacity = 1u << h.bits;
  const std::uint32_t count =
      h.colors_used > 0 && h.colors_used <= capacity ? h.colors_used : capacity;
  const std::uint64_t start = File_Header_Size + h.header_size;
  if (start + 4ull * count > b.size()) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = static_cast<std::size_t>(start + 4ull * i);
    table[i] = {b[at + 2], b[at + 1], b[at]};
  }
  return true;
}

/// Red, green and blue of pixel x of a row.
std::array<std::uint8_t, 3> Pixel_Of(const std::uint8_t* row, int x, int bits,
                                     const Color_Table& table) {
  if (bits == 24) return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
  if (bits == 8) return table[row[x]];
  const std::uint8_t pair = row[x / 2];
  return table[x % 2 == 0 ? pair >> 4 : pair & 15];
}

/// Fills the cells no scaled pixel reached: columns from their left neighbour, rows from the
/// row below; rows above the picture become black.
void Fill_Gaps(Picture_Work& work, const std::vector<bool>& column_reached,
               const std::vector<bool>& row_reached) {
  int top_row = 0;
  for (int y = 0; y < Picture_Rows; ++y)
    if (row_reached[static_cast<std::size_t>(y)]) top_row = y;
  for (int y = 0; y < Picture_Rows; ++y) {
    for (int c = 1; c <= 3; ++c) {
      for (int x = 0; x < Picture_Columns; ++x) {
        double& cell = work.Picture_Buffer(c, x, y);
        if (y > top_row)
          cell = 0;
        else if (!row_reached[static_cast<std::size_t>(y)])
          cell = work.Picture_Buffer(c, x, y - 1);
        else if (!column_reached[static_cast<std::size_t>(x)])
          cell = work.Picture_Buffer(c, x - 1, y);
      }
    }
  }
}

}  // namespace

bool Read_Picture(Picture_Work& work, std::span<const std::uint8_t> bytes, const std::string& name,
                  std::string& message) {
  const std::optional<Bmp_Header> header = Parse_Header(bytes, name, message);
  if (!header) return false;
  const Bmp_Header& h = *header;
  Color_Table table;
  if (!Read_Color_Table(bytes, h, table)) {
    message = "File " + name + " has a colour table that is cut short!";
    return false;
  }
  const int stored_rows = std::abs(h.height);
  const std::uint64_t row_bytes = Row_Bytes(h);
  if (h.pixel_offset > bytes.size() ||
      row_bytes * static_cast<std::uint64_t>(stored_rows) > bytes.size() - h.pixel_offset) {
    message = "File " + name + " is cut short: its pixels end before the picture does!";
    return false;
  }
  const double s = 288.0 / h.width;
  int rows = stored_rows;
  // A picture taller than the screen allows keeps its lowest rows.
  if (std::trunc(h.width / 288.0 * 249) < rows)
    rows = static_cast<int>(std::trunc(h.width / 288.0 * 250));
  // A later pixel landing on the same cell overwrites an earlier one, so only the last source
  // column and row of each cell are read.
  std::vector<bool> column_reached(Picture_Columns, false), row_reached(Picture_Rows, false);
  std::vector<std::pair<int, int>> columns;  ///< (source x, cell x) of the pixels that stay
  for (int x = 0; x < h.width; ++x) {
    const int cell_x = static_cast<int>(std::trunc(x * s));
    column_reached[static_cast<std::size_t>(cell_x)] = true;
    if (!columns.empty() && columns.back().second == cell_x) columns.pop_back();
    columns.emplace_back(x, cell_x);
  }
  for (int y = 0; y < rows; ++y) {
    const int cell_y = static_cast<int>(std::trunc(y * s));
    if (cell_y >= Picture_Rows) break;
    if (y + 1 < rows && static_cast<int>(std::trunc((y + 1) * s)) == cell_y) continue;
    row_reached[static_cast<std::size_t>(cell_y)] = true;
    const int file_row = h.height > 0 ? y : stored_rows - 1 - y;  // y counts from the bottom
    const std::uint8_t* row = bytes.data() + h.pixel_offset + row_bytes * file_row;
    for (const auto& [x, cell_x] : columns) {
      const auto rgb = Pixel_Of(row, x, h.bits, table);
      for (int c = 1; c <= 3; ++c) work.Picture_Buffer(c, cell_x, cell_y) = rgb[c - 1];
    }
  }
  Fill_Gaps(work, column_reached, row_reached);
  work.Bits_Per_Pixel = h.bits;
  return true;
}

}  // namespace lyricanvas
