#pragma once
// A picture on the CD+G screen: the BMP scaled to 288 columns in a work buffer, its colours
// counted in a 16 x 16 x 16 histogram, the palette entries the lyrics can spare chosen from it,
// and every pixel mapped to its nearest palette colour, optionally spreading the error to the
// neighbours so that gradients keep their mean colour.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/song.h"

namespace lyricanvas {

constexpr int Picture_Columns = 290;  ///< work buffer columns 0..289
constexpr int Picture_Rows = 251;     ///< work buffer rows 0..250 (row 0 = bottom of the picture)
constexpr int Mapped_Width = 288;
constexpr int Mapped_Height = 192;

/// Red, green and blue planes (1..3; 0 unused) of the work buffers, values 0..255 (their
/// squares in the linear buffer).
struct Picture_Planes {
  std::vector<double> values = std::vector<double>(4 * Picture_Columns * Picture_Rows, 0.0);
  double& operator()(int plane, int x, int y) {
    return values[static_cast<std::size_t>((plane * Picture_Rows + y) * Picture_Columns + x)];
  }
  double operator()(int plane, int x, int y) const {
    return values[static_cast<std::size_t>((plane * Picture_Rows + y) * Picture_Columns + x)];
  }
};

/// The work of the picture import for one creation run; the buffers are kept from one picture
/// to the next (the histogram may accumulate several pictures).
struct Picture_Work {
  Picture_Planes Picture_Buffer;
  Picture_Planes Linear_Buffer;
  std::vector<double> Color_Histogram = std::vector<double>(4096, 0.0);  ///< (blue, green, red)
  Palette_Table Picture_Palette{};
  std::array<int, 16> Reserved_Colors{};  ///< non-zero: the lyrics need the entry
  std::array<std::array<std::int32_t, 4>, 16> Palette_Squares{};
  std::array<std::int32_t, 16> Color_Usage{};
  int Bits_Per_Pixel = 0;  ///< of the last picture read
  /// The mapped picture: colour index per (row 0..191 top first, column 0..287).
  std::vector<std::uint8_t> Mapped = std::vector<std::uint8_t>(Mapped_Width * Mapped_Height, 0);
  std::uint8_t Mapped_At(int row, int column) const {
    return Mapped[static_cast<std::size_t>(row * Mapped_Width + column)];
  }
};

/// Rounds half to even like std::nearbyint in the default rounding mode, without the library
/// call: adding and taking away 1.5 * 2^52 leaves no fraction bits (for |x| < 2^51).
inline double Round_Even(double x) {
  constexpr double shifter = 6755399441055744.0;
  return (x + shifter) - shifter;
}

double& Histogram_Count(Picture_Work& work, int red, int green, int blue);

/// Reads a BMP (24-, 8- or 4-bit, bottom-up or top-down rows, 40-, 108- or 124-byte header) into
/// the work buffer, scaled to 288 columns. Every cell of rows 0..250 is written: cells between
/// scaled pixels repeat their left or lower neighbour, rows above the picture are black. On a
/// refusal the buffer is unchanged and message names the picture.
bool Read_Picture(Picture_Work& work, std::span<const std::uint8_t> bytes, const std::string& name,
                  std::string& message);
void Count_Colors(Picture_Work& work, bool clear);
void Choose_Palette(Picture_Work& work, Palette_Table& palette);
void Prepare_Linear(Picture_Work& work);
/// Maps rows 0..191 of the linear buffer into work.Mapped (bottom row of the buffer last).
/// Error diffusion runs when dither is on and the picture is not a 4-bit one.
void Map_Pixels(Picture_Work& work, bool dither);

/// How one picture is converted.
struct Conversion {
  bool keep_palette = false;     ///< map onto on_screen instead of choosing a palette
  bool picture_on_screen = false;
  bool dither = true;
  bool clear_histogram = true;
  Palette_Table on_screen{};     ///< the palette shown now
};

/// The whole conversion: read, count and choose (unless the palette is kept), map. Picture_Palette
/// must hold the starting palette (reserved entries are kept from it).
bool Convert_Picture(Picture_Work& work, std::span<const std::uint8_t> bytes,
                     const std::string& name, const Conversion& how, std::string& message);
/// Reads a picture and adds its colours to the histogram without choosing a palette.
bool Read_And_Count(Picture_Work& work, std::span<const std::uint8_t> bytes,
                    const std::string& name, bool clear_histogram, std::string& message);

/// The most used palette entry of the last mapping (lowest index on ties).
int Most_Used_Color(const Picture_Work& work);

}  // namespace lyricanvas
