#include "cdg/line_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "cdg/interpreter.h"
#include "cdg/packs.h"
#include "cdg/tile_updater.h"
#include "model/line_render.h"

namespace lyricanvas {

namespace {

constexpr QRgb Work_Background = qRgb(0, 0, 255);
constexpr QRgb Outline_Ink = qRgb(0, 0, 0);
constexpr QRgb Body_Ink = qRgb(255, 255, 255);
constexpr QRgb Marked_For_Wipe = qRgb(255, 0, 0);
constexpr QRgb Already_Packed = qRgb(0, 255, 0);
/// Where a line is printed in the work picture when it is rendered for the run's cache: room
/// above it for accents and below it for the tallest font.
constexpr int Picture_Origin = 64;
constexpr int Tile_Width = 6;
constexpr int Tile_Height = 12;

bool Same_Rgb(QRgb a, QRgb b) { return (a & 0xffffffu) == (b & 0xffffffu); }

bool Is_Background(QRgb pixel) { return 2 * qBlue(pixel) - qRed(pixel) - qGreen(pixel) >= 256; }

bool Is_Body(QRgb pixel) { return qRed(pixel) + qGreen(pixel) + qBlue(pixel) > 384; }

/// White text of the wipe rendering: blue 255 and green at least 128.
bool Is_Wipeable(QRgb pixel) { return qBlue(pixel) == 255 && qGreen(pixel) >= 128; }

/// Whether screen row y lies in the inner area.
bool On_Screen(int y) { return y >= 0 && y < Inner_Height; }

/// The palette entries a line's pixels take, column by column, from the singer of the
/// character drawn there (outline pixels left or right of the letters take the nearest one).
struct Column_Colors {
  std::array<int, Screen_Pixels::Columns> body{};
  std::array<int, Screen_Pixels::Columns> outline{};
};

Column_Colors Singer_Columns(const Song& song, int line) {
  Column_Colors colors;
  if (line < 1 || line > Max_Lines) return colors;
  const int first = song.Line_Start[line - 1];
  if (first < 0) return colors;
  const int length = static_cast<int>(Line_Text(song, line).size());
  const int styles = static_cast<int>(song.Text_Styles.size());
  for (int offset = first; offset < first + length && offset <= Max_Char_X; ++offset) {
    const int style = song.Char_Style[offset];
    if (style < 1 || style >= styles) continue;
    const Style_Rec& rec = song.Text_Styles[style];
    // A colour of no singer has no palette entries; its columns keep the previous singer.
    if (rec.Unwiped_Body < 0 || rec.Unwiped_Outline < 0) continue;
    // Each character owns the columns from its start on until a later character takes over;
    // the first character also owns the columns before it.
    const int from = offset == first ? 0 : std::clamp(song.Char_X[offset], 0, Inner_Width + 1);
    for (int x = from; x <= Inner_Width; ++x) {
      colors.body[x] = rec.Unwiped_Body;
      colors.outline[x] = rec.Unwiped_Outline;
    }
  }
  return colors;
}

/// Renders the line at print origin y: outline in black, body in white, on the blue background.
void Render_Line_Picture(const Song& song, Surface& work, int line, int y) {
  work.Cls();
  Render_Outline(song, Line_X(song, line), y, work, line, false, Render_Color{Outline_Ink});
  Render_Body(song, Line_X(song, line), y, work, line, Render_Color{Body_Ink});
}

/// Paints, in white on the cleared work picture, what the wiping style recolours of the line
/// printed at row origin; returns the rows it covers (top > bottom when none).
std::pair<int, int> Paint_Wiped_Parts(const Line_Picture& picture, const std::string& style,
                                      Surface& work, int origin) {
  work.Cls();
  int top = Inner_Height, bottom = -1;
  const Wiped_Parts parts = Wiped_Parts_Of(style);
  for (const Line_Pixel& pixel : picture) {
    const int y = origin + pixel.y;
    if (!On_Screen(y) || !Is_Wiped_Part(pixel, parts)) continue;
    work.Set_Pixel(pixel.x, y, Body_Ink);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  return {top, bottom};
}

/// The rows of a slot and the columns of one point's step, clipped to the inner area.
struct Wipe_Range {
  int first_x, last_x, top, bottom;
};

void Mark_Wipe_Columns(Surface& work, const Wipe_Range& range) {
  for (int x = range.first_x; x <= range.last_x; ++x)
    for (int y = range.top; y <= range.bottom; ++y)
      if (Is_Wipeable(work.Pixel(x, y))) work.Set_Pixel(x, y, Marked_For_Wipe);
}

/// One XOR pack per tile that still holds marked pixels, each in the next free slot.
void Pack_Wipe_Columns(Creation_Run& run, Surface& work, int line, const Wipe_Range& range) {
  coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
  for (int x = range.first_x; x <= range.last_x; ++x) {
    for (int y = range.top; y <= range.bottom; ++y) {
      if (!Same_Rgb(work.Pixel(x, y), Marked_For_Wipe)) continue;
      rec.First_Wipe_Pack = std::min(rec.First_Wipe_Pack, run.Pack_Pointer);
      Skip_Occupied(run);
      // A wipe that would run past the stream is dropped rather than written nowhere.
      if (run.Pack_Pointer > run.Pack_Buffer.Last_Slot()) return;
      Write_Wipe_Tile(run, work, x, y, run.Pack_Pointer);
      rec.Wipe_Slots.push_back(run.Pack_Pointer);
      run.Wipe_Line_At[run.Pack_Pointer] = line;
      ++run.Pack_Pointer;
      rec.Last_Wipe_Pack = std::max(rec.Last_Wipe_Pack, run.Pack_Pointer);
    }
  }
}

}  // namespace

Surface Make_Work_Picture() { return Surface(Inner_Width + 1, 257, Work_Background); }

int Slot_Top(int k, int lines_per_screen) { return (k - 1) * Inner_Height / lines_per_screen; }

Wiped_Parts Wiped_Parts_Of(const std::string& style) {
  if (style == "Swap text body & outline" || style == "Swipe text body & outline")
    return Wiped_Parts::Body_And_Outline;
  return Wipe_Xor_Value(style) != 0 ? Wiped_Parts::Body : Wiped_Parts::None;
}

bool Is_Wiped_Part(const Line_Pixel& pixel, Wiped_Parts parts) {
  return parts == Wiped_Parts::Body_And_Outline || (parts == Wiped_Parts::Body && pixel.body);
}

int Wipe_Xor_Value(const std::string& style) {
  if (style == "Swap text body & outline") return 3;
  if (style == "Swipe text body only" || style == "Swipe text body & outline" ||
      style == "Draw no outline" || style.empty())
    return 2;
  return 0;
}

const Line_Picture& Picture_Of(Creation_Run& run, const Song& song, Surface& work, int line) {
  std::optional<Line_Picture>& cached = run.Line_Pictures[static_cast<std::size_t>(line)];
  if (cached) return *cached;
  Render_Line_Picture(song, work, line, Picture_Origin);
  Line_Picture picture;
  const QImage& image = work.Image();
  const int columns = std::min(Inner_Width + 1, image.width());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < columns; ++x)
      if (!Is_Background(row[x]))
        picture.push_back({static_cast<std::int16_t>(y - Picture_Origin),
                           static_cast<std::int16_t>(x), Is_Body(row[x])});
  }
  cached = std::move(picture);
  return *cached;
}

void Write_Line(Creation_Run& run, const Song& song, Surface& work, int line, int slot,
                bool update_now) {
  const Column_Colors colors = Singer_Columns(song, line);
  const int origin = Slot_Top(slot, run.Lines_Per_Screen) + run.Line_Y_Offset;
  for (const Line_Pixel& pixel : Picture_Of(run, song, work, line)) {
    const int y = origin + pixel.y;
    if (!On_Screen(y)) continue;
    run.Target_Screen(y, pixel.x) =
        static_cast<std::uint8_t>(pixel.body ? colors.body[pixel.x] : colors.outline[pixel.x]);
  }
  // The wipes that came before the line stood there, and those the stream has played over
  // these pixels while earlier tiles were drawn, recolour them as they would have.
  coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
  rec.Drawn = true;
  for (const Pack& wipe : rec.Withheld_Wipes) Apply_Pack(run.Target_Screen, wipe);
  for (std::int64_t wipe : rec.Wipe_Slots)
    if (wipe <= run.Interpreted_Up_To && run.Pack_Buffer.Occupied(wipe))
      Apply_Pack(run.Target_Screen, run.Pack_Buffer.At(wipe));
  // The whole screen without an appearance effect; pictures bring their own tile pass.
  if (update_now) Update_All_Tiles(run);
}

void Erase_Line(Creation_Run& run, const Song& song, Surface& work, int line, int slot) {
  const int origin = Slot_Top(slot, run.Lines_Per_Screen) + run.Line_Y_Offset;
  // The same pixels as Write_Line, so that no part of a tall line is left behind.
  for (const Line_Pixel& pixel : Picture_Of(run, song, work, line)) {
    const int y = origin + pixel.y;
    if (On_Screen(y)) run.Target_Screen(y, pixel.x) = run.Background_Screen(y, pixel.x);
  }
  // The whole screen without an appearance effect; pictures bring their own tile pass.
  Update_All_Tiles(run);
}

void Prepare_Wipe_Packs(Creation_Run& run, const Song& song, Surface& work, int line) {
  coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
  const int k = rec.Slot_Of_Line;
  // Lines without text or points, and lines that found no place on a screen, wipe nothing.
  if (rec.text.isEmpty() || rec.count <= 0 || k < 1) return;
  // Every row the letters take is wiped, also where they reach beyond their slot.
  const auto [top, bottom] =
      Paint_Wiped_Parts(Picture_Of(run, song, work, line), run.Settings.Wiping_Style, work,
                        Slot_Top(k, run.Lines_Per_Screen) + run.Line_Y_Offset);
  rec.First_Wipe_Pack = run.last_color_pack;
  rec.Last_Wipe_Pack = 0;
  rec.Wipe_Slots.clear();
  rec.Drawn = false;
  rec.Withheld_Wipes.clear();
  std::optional<int> previous_end;
  const int count = std::min(rec.count, Max_Coloring_Points);
  for (int f = 1; f <= count; ++f) {
    const coloring_point& point = rec.points[static_cast<std::size_t>(f)];
    // A first point or a jump point only sets where the wipe stands.
    const int from = point.jump == 0 && previous_end ? *previous_end + 1 : point.x;
    previous_end = point.x - 1;
    const Wipe_Range range{std::max(from, 0), std::min(point.x - 1, Inner_Width - 1), top, bottom};
    Mark_Wipe_Columns(work, range);
    const auto at = static_cast<std::int64_t>(std::nearbyint(point.color_time));
    run.Pack_Pointer =
        std::clamp<std::int64_t>(at, 0, std::max<std::int64_t>(run.last_color_pack, 0));
    if (run.Pack_Pointer >= run.Pack_Buffer.Last_Slot()) continue;
    Skip_Occupied(run);
    Pack_Wipe_Columns(run, work, line, range);
  }
  Process_Events(run.ui);
}

void Write_Wipe_Tile(Creation_Run& run, Surface& work, int x, int y, std::int64_t slot) {
  const int column = x / Tile_Width + 1;
  const int row = y / Tile_Height + 1;
  std::array<std::uint8_t, 16> data{};
  data[1] = static_cast<std::uint8_t>(Wipe_Xor_Value(run.Settings.Wiping_Style));
  data[2] = static_cast<std::uint8_t>(row);
  data[3] = static_cast<std::uint8_t>(column);
  for (int r = 0; r < Tile_Height; ++r) {
    for (int k = 0; k < Tile_Width; ++k) {
      const int px = Tile_Width * (column - 1) + k;
      const int py = Tile_Height * (row - 1) + r;
      if (!Same_Rgb(work.Pixel(px, py), Marked_For_Wipe)) continue;
      data[static_cast<std::size_t>(4 + r)] |= static_cast<std::uint8_t>(1 << (5 - k));
      work.Set_Pixel(px, py, Already_Packed);
    }
  }
  run.Pack_Buffer.Put(slot, Make_Pack(Tile_Block_Xor, data));
}

}  // namespace lyricanvas
