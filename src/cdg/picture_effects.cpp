#include "cdg/picture_effects.h"

#include <cmath>
#include <utility>
#include <vector>

#include "cdg/tile_updater.h"
#include "pictures/properties.h"
#include "pictures/reduction.h"

namespace lyricanvas {

namespace {

constexpr int Sweep_Positions = 4000;  ///< steps of the moving segment (4001 positions)
constexpr int Segment_Points = 100;    ///< steps along the segment (101 points)
constexpr int Ellipse_Steps = 4000;    ///< steps of t from 0 to 2
constexpr int Tile_Width = 6;
constexpr int Tile_Height = 12;

double Uniform(Sweep_Random& random) { return static_cast<double>(random()) / 4294967296.0; }

/// A coordinate of a point on the segment; ragged where the ends agree.
int Segment_Coordinate(double a, double b, double u, Sweep_Random& random) {
  double value = u * b + (1 - u) * a;
  if (a == b) value += Uniform(random) - 0.5;
  return static_cast<int>(Round_Even(value));
}

void Fill_Column_By_Column(Tile_Order& order) {
  for (int column = 1; column <= Tile_Columns; ++column)
    for (int row = 1; row <= Tile_Rows; ++row) Add_Tile(order, row, column);
}

void Reverse(Tile_Order& order) {
  std::reverse(order.entries.begin() + 1, order.entries.begin() + 1 + order.count);
}

double Lightness(const Palette_Table& palette, int i) {
  const auto& e = palette[static_cast<std::size_t>(i & 15)];
  return e[1] * e[1] + 1.5 * e[2] * e[2] + e[3] * e[3] / 2.0;
}

}  // namespace

bool Add_Tile(Tile_Order& order, int row, int column) {
  if (row >= 1 && row <= Tile_Rows && column >= 1 && column <= Tile_Columns &&
      !order.taken[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]) {
    order.taken[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = true;
    order.entries[static_cast<std::size_t>(++order.count)] = {row, column};
  }
  return order.count == Tile_Count;
}

Tile_Order Sweep_Order(double r1, double c1, double r2, double c2, double r3, double c3, double r4,
                       double c4, Sweep_Random& random) {
  Tile_Order order;
  for (int i = 0; i <= Sweep_Positions; ++i) {
    const double s = static_cast<double>(i) / Sweep_Positions;
    const double row_a = (1 - s) * r1 + s * r2, col_a = (1 - s) * c1 + s * c2;
    const double row_b = (1 - s) * r3 + s * r4, col_b = (1 - s) * c3 + s * c4;
    for (int j = 0; j <= Segment_Points; ++j) {
      const double u = static_cast<double>(j) / Segment_Points;
      const int row = Segment_Coordinate(row_a, row_b, u, random);
      const int column = Segment_Coordinate(col_a, col_b, u, random);
      if (Add_Tile(order, row, column)) return order;
    }
  }
  return order;
}

Tile_Order Ellipse_Order(double rt, double ct, double c1, double c2, double r1, double r2) {
  Tile_Order order;
  const double rs = (r1 + r2) / 2, cs = (c1 + c2) / 2;
  const double a = (r2 - r1) / 2, b = (c2 - c1) / 2, k = b / a;
  // The tiles not yet taken, in scan order (rows outer, columns inner).
  std::vector<Tile> waiting;
  for (int row = 1; row <= Tile_Rows; ++row)
    for (int column = 1; column <= Tile_Columns; ++column) waiting.push_back({row, column});
  for (int i = 0; i <= Ellipse_Steps && !waiting.empty(); ++i) {
    const double t = 2.0 * i / Ellipse_Steps;
    const double rc = (1 - t) * rs + t * rt, cc = (1 - t) * cs + t * ct;
    const double limit = k * k * (t * a) * (t * a) + (t * b) * (t * b);
    std::erase_if(waiting, [&](const Tile& tile) {
      const double dr = tile.row - rc, dc = tile.column - cc;
      if (!(k * k * dr * dr + dc * dc < limit)) return false;
      Add_Tile(order, tile.row, tile.column);
      return true;
    });
  }
  return order;
}

Tile_Order Lightness_Order(const Screen_Pixels& target, const Palette_Table& palette) {
  std::array<std::array<double, Tile_Columns + 1>, Tile_Rows + 1> sums{};
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x)
      sums[static_cast<std::size_t>(y / Tile_Height + 1)]
          [static_cast<std::size_t>(x / Tile_Width + 1)] += Lightness(palette, target(y, x));
  Tile_Order order;
  while (order.count < Tile_Count) {
    double best = -1;
    Tile pick;
    for (int row = 1; row <= Tile_Rows; ++row)
      for (int column = 1; column <= Tile_Columns; ++column) {
        const double sum = sums[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
        if (!order.taken[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] &&
            sum > best) {
          best = sum;
          pick = {row, column};
        }
      }
    Add_Tile(order, pick.row, pick.column);
  }
  return order;
}

Tile_Order Effect_Order(std::string_view properties, const Screen_Pixels& target,
                        const Palette_Table& palette, Sweep_Random& random) {
  const std::string effect = Get_Appearance_Effect(properties);
  Tile_Order order;
  if (effect == "Top to bottom")
    order = Sweep_Order(0, 0, 16, 0, 0, 49, 16, 49, random);
  else if (effect == "Left to right")
    order = Sweep_Order(0, 0, 0, 49, 16, 0, 16, 49, random);
  else if (effect == "Circle out")
    order = Ellipse_Order(8.5, 24.5, 12.5, 36.5, 2.5, 14.5);
  else if (effect == "Oval out")
    order = Ellipse_Order(8.5, 24.5, 6.5, 42.5, 2.5, 14.5);
  else if (effect == "Lightest to darkest")
    order = Lightness_Order(target, palette);
  // A ragged front may miss a tile; no tile of the picture may be left out.
  Fill_Column_By_Column(order);
  if (Property_Is_Set(properties, "reverse_effect")) Reverse(order);
  return order;
}

void Draw_Picture_Tiles(Creation_Run& run, std::string_view properties) {
  const Tile_Order order =
      Effect_Order(properties, run.Target_Screen, run.Work_Palette, run.Effect_Random);
  for (int k = 1; k <= order.count; ++k) {
    const Tile& tile = order.entries[static_cast<std::size_t>(k)];
    Update_Tile(run, tile.column, tile.row);
  }
  run.Interpreted_Up_To = run.Pack_Pointer - 1;
}

void Reserve_Lyrics_Colors(const Creation_Run& run, const Song& song, int from, int to,
                           std::array<int, 16>& reserved) {
  const std::string& style = run.Settings.Wiping_Style;
  const bool both_wiped = style == "Swipe text body & outline";
  const bool body_wiped = both_wiped || style == "Swipe text body only" || style == "Draw no outline";
  auto mark = [&](int entry) {
    if (entry >= 0 && entry < 16) reserved[static_cast<std::size_t>(entry)] = 1;
  };
  for (int s = std::max(from, 1); s <= std::min(to, Max_Screens); ++s) {
    for (int p = 1; p <= run.Screen_Line_Count[static_cast<std::size_t>(s)]; ++p) {
      const int line = run.Screen_Lines[static_cast<std::size_t>(s)][static_cast<std::size_t>(p)];
      if (line < 1 || line > Max_Lines) continue;
      const int first = song.Line_Start[static_cast<std::size_t>(line - 1)];
      const int length = static_cast<int>(Line_Text(song, line).size());
      for (int offset = std::max(first, 0); offset < first + length && offset <= Max_Char_X; ++offset) {
        const int k = song.Char_Style[static_cast<std::size_t>(offset)];
        if (k < 1 || k >= static_cast<int>(song.Text_Styles.size())) continue;
        const Style_Rec& rec = song.Text_Styles[static_cast<std::size_t>(k)];
        if (rec.Unwiped_Body < 0) continue;  // a colour of no singer
        mark(rec.Unwiped_Body);
        if (song.Draw_Outline) mark(rec.Unwiped_Outline);
        if (both_wiped) mark(rec.Wiped_Outline);
        if (body_wiped) mark(rec.Wiped_Body);
      }
    }
  }
}

}  // namespace lyricanvas
