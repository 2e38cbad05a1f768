#include "pictures/reduction.h"

#include <algorithm>
#include <cmath>

namespace lyricanvas {

namespace {

/// Distance of a colour no palette entry is measured against yet.
constexpr int No_Distance = 99999;
/// Starting distance of the nearest-entry search; larger than any weighted distance.
constexpr double No_Match = 9999999;
/// Share of a pixel's error that goes to the pixel below and to the next pixel.
constexpr double Error_Share = 0.315;
/// Share of that share that goes to each diagonal neighbour below.
constexpr double Diagonal_Share = 0.429;

inline double Color_Distance(double r1, double g1, double b1, double r2, double g2, double b2) {
  const double m = Round_Even((r1 + r2) / 2);
  const double dr = Round_Even(r1 - r2), dg = Round_Even(g1 - g2), db = Round_Even(b1 - b2);
  return (512 + m) * dr * dr / 256 + 4 * dg * dg + (767 - m) * db * db / 256;
}

int Squared_Palette_Distance(const Palette_Table& palette, int r, int g, int b) {
  int nearest = No_Distance;
  for (const auto& entry : palette) {
    const int dr = r - entry[1], dg = g - entry[2], db = b - entry[3];
    nearest = std::min(nearest, dr * dr + dg * dg + db * db);
  }
  return nearest;
}

/// Chooses the colour of free entry i: the counted colour farthest from the palette as it
/// stands, weighted by how often it occurs.
void Choose_Entry(Picture_Work& work, Palette_Table& palette, std::size_t i) {
  double best = 0;
  for (int r = 0; r < 16; ++r)
    for (int g = 0; g < 16; ++g)
      for (int b = 0; b < 16; ++b) {
        const double count = Histogram_Count(work, r, g, b);
        if (count <= 0) continue;
        const double dmin = Squared_Palette_Distance(palette, r, g, b);
        const double score = count * dmin * dmin;
        if (score <= best) continue;
        best = score;
        palette[i] = {palette[i][0], r, g, b};
      }
  // A chosen colour is not chosen again (a count negated twice would come back).
  double& chosen = Histogram_Count(work, palette[i][1], palette[i][2], palette[i][3]);
  chosen = -std::abs(chosen);
}

/// The palette's colours as the distance sees them, one array per component.
struct Entry_Colors {
  std::array<double, 16> r{}, g{}, b{};
};

/// The nearest palette entry to a pixel by the weighted distance; ties go to the lower index.
/// All 16 distances are taken first, in a loop the compiler can run in parallel lanes.
int Nearest_Entry(const std::array<double, 3>& pixel, const Entry_Colors& entries) {
  std::array<double, 16> d{};
  for (std::size_t i = 0; i < 16; ++i)
    d[i] = Round_Even(
        Color_Distance(pixel[0], pixel[1], pixel[2], entries.r[i], entries.g[i], entries.b[i]));
  double best = No_Match;
  int index = 0;
  for (int i = 0; i < 16; ++i) {
    if (d[static_cast<std::size_t>(i)] < best) {
      best = d[static_cast<std::size_t>(i)];
      index = i;
    }
  }
  return index;
}

/// Spreads the error of pixel (x, y) to its neighbours in squared-intensity space.
void Diffuse_Error(Picture_Work& work, int x, int y, int index) {
  for (int c = 1; c <= 3; ++c) {
    double e =
        (work.Linear_Buffer(c, x, y) -
         work.Palette_Squares[static_cast<std::size_t>(index)][static_cast<std::size_t>(c)]) *
        Error_Share;
    work.Linear_Buffer(c, x, y + 1) += e;
    work.Linear_Buffer(c, x + 1, y) += e;
    e *= Diagonal_Share;
    work.Linear_Buffer(c, x + 1, y + 1) += e;
    if (x > 0) work.Linear_Buffer(c, x - 1, y + 1) += e;
  }
}

}  // namespace

double& Histogram_Count(Picture_Work& work, int red, int green, int blue) {
  return work.Color_Histogram[static_cast<std::size_t>((blue * 16 + green) * 16 + red)];
}

void Count_Colors(Picture_Work& work, bool clear) {
  if (clear) std::fill(work.Color_Histogram.begin(), work.Color_Histogram.end(), 0.0);
  for (int y = 0; y < Mapped_Height; ++y)
    for (int x = 0; x < Mapped_Width; ++x)
      Histogram_Count(work, static_cast<int>(work.Picture_Buffer(1, x, y) / 16),
                      static_cast<int>(work.Picture_Buffer(2, x, y) / 16),
                      static_cast<int>(work.Picture_Buffer(3, x, y) / 16)) += 1;
}

void Choose_Palette(Picture_Work& work, Palette_Table& palette) {
  for (std::size_t i = 0; i < 16; ++i)
    if (work.Reserved_Colors[i] == 0) palette[i] = {palette[i][0], 0, 0, 0};
  for (std::size_t i = 0; i < 16; ++i)
    if (work.Reserved_Colors[i] == 0) Choose_Entry(work, palette, i);
}

void Prepare_Linear(Picture_Work& work) {
  for (int c = 1; c <= 3; ++c)
    for (int y = 0; y < Mapped_Height; ++y)
      for (int x = 0; x < Mapped_Width; ++x) {
        const double v = work.Picture_Buffer(c, x, y);
        work.Linear_Buffer(c, x, y) = v * v;
      }
  for (std::size_t i = 0; i < 16; ++i)
    for (std::size_t c = 1; c <= 3; ++c) {
      const double level = work.Picture_Palette[i][c] * 16 + 7.5;
      work.Palette_Squares[i][c] = static_cast<std::int32_t>(std::nearbyint(level * level));
    }
}

void Map_Pixels(Picture_Work& work, bool dither) {
  Entry_Colors entries;
  for (std::size_t i = 0; i < 16; ++i) {
    entries.r[i] = std::sqrt(static_cast<double>(work.Palette_Squares[i][1]));
    entries.g[i] = std::sqrt(static_cast<double>(work.Palette_Squares[i][2]));
    entries.b[i] = std::sqrt(static_cast<double>(work.Palette_Squares[i][3]));
  }
  const bool diffuse = dither && work.Bits_Per_Pixel != 4;
  for (int y = 0; y < Mapped_Height; ++y) {
    for (int x = 0; x < Mapped_Width; ++x) {
      // Spread errors can push a value below zero; it stands for no light at all.
      std::array<double, 3> pixel{};
      for (int c = 1; c <= 3; ++c)
        pixel[static_cast<std::size_t>(c - 1)] =
            std::sqrt(std::max(0.0, work.Linear_Buffer(c, x, y)));
      const int index = Nearest_Entry(pixel, entries);
      work.Mapped[static_cast<std::size_t>((Mapped_Height - 1 - y) * Mapped_Width + x)] =
          static_cast<std::uint8_t>(index);
      ++work.Color_Usage[static_cast<std::size_t>(index)];
      if (diffuse) Diffuse_Error(work, x, y, index);
    }
  }
}

bool Read_And_Count(Picture_Work& work, std::span<const std::uint8_t> bytes,
                    const std::string& name, bool clear_histogram, std::string& message) {
  if (!Read_Picture(work, bytes, name, message)) return false;
  Count_Colors(work, clear_histogram);
  return true;
}

bool Convert_Picture(Picture_Work& work, std::span<const std::uint8_t> bytes,
                     const std::string& name, const Conversion& how, std::string& message) {
  if (!Read_Picture(work, bytes, name, message)) return false;
  if (!how.keep_palette || !how.picture_on_screen) {
    Count_Colors(work, how.clear_histogram);
    Choose_Palette(work, work.Picture_Palette);
  } else {
    work.Picture_Palette = how.on_screen;
  }
  Prepare_Linear(work);
  Map_Pixels(work, how.dither);
  return true;
}

int Most_Used_Color(const Picture_Work& work) {
  const auto most = std::max_element(work.Color_Usage.begin(), work.Color_Usage.end());
  return static_cast<int>(most - work.Color_Usage.begin());
}

}  // namespace lyricanvas
