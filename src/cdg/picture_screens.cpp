#include "cdg/picture_screens.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

#include "cdg/fades.h"
#include "cdg/interpreter.h"
#include "cdg/packs.h"
#include "cdg/picture_effects.h"
#include "pictures/picture_source.h"
#include "pictures/properties.h"

namespace lyricanvas {

namespace {

std::string Picture_Name(const coloring_line& rec) {
  const std::string name = Get_Property(rec.picture, "filename");
  return name.empty() ? "(stored picture)" : name;
}

/// The picture of a lyrics line as BMP bytes (a PNG or JPEG file named by a project that does
/// not store its pictures is converted like an inserted one); nullopt and a message when it
/// cannot be had.
std::optional<std::string> Picture_Bmp(const Song& song, const coloring_line& rec,
                                       std::string& message) {
  const std::optional<std::string> bytes = Picture_Bytes(song, rec.picture_field, message);
  if (!bytes) return std::nullopt;
  return Picture_File_As_Bmp(*bytes, Picture_Name(rec), message);
}

std::span<const std::uint8_t> Bytes_Of(const std::string& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

/// Reads and maps the picture into run.Pictures; false (and a message) when it cannot be read.
/// With prepared the histogram already holds the colours of the pictures drawn over it later.
bool Convert(Creation_Run& run, const Song& song, const coloring_line& rec, bool keep,
             bool prepared, std::string& message) {
  const std::optional<std::string> bmp = Picture_Bmp(song, rec, message);
  if (!bmp) return false;
  Conversion how;
  how.keep_palette = keep;
  how.picture_on_screen = run.Picture_On_Screen;
  how.dither = Get_Property(rec.picture, "dither_picture") != "0";
  how.clear_histogram = !prepared;
  how.on_screen = run.Work_Palette;
  return Convert_Picture(run.Pictures, Bytes_Of(*bmp), Picture_Name(rec), how, message);
}

/// The pictures of the screens after s that are drawn over the one before, keeping its palette,
/// have their colours counted now, so that the palette chosen for screen s serves them too.
/// Returns the last screen of that chain; prepared tells whether any colours were counted. A
/// picture that cannot be read is left out here and reported when its screen comes.
int Prepare_Overwriting_Pictures(Creation_Run& run, const Song& song, int s, bool& prepared) {
  prepared = false;
  for (;; ++s) {
    const int line = Picture_Line_Of_Screen(run, s + 1);
    if (line == 0) return s;
    const coloring_line& next = run.coloring_table[static_cast<std::size_t>(line)];
    if (!Property_Is_Set(next.picture, "overwrite_last_screen")) return s;
    std::string ignored;
    const std::optional<std::string> bmp = Picture_Bmp(song, next, ignored);
    if (bmp && Read_And_Count(run.Pictures, Bytes_Of(*bmp), Picture_Name(next), !prepared, ignored))
      prepared = true;
  }
}

void Copy_Mapped_To_Target(Creation_Run& run) {
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x) run.Target_Screen(y, x) = run.Pictures.Mapped_At(y, x);
}

/// A fresh picture screen: the shown palette fades to the picture's most used colour, the
/// screen is cleared to it and the picture's palette is loaded.
void Clear_To_Picture_Background(Creation_Run& run, const std::string& fading_style) {
  const Palette_Table& palette = run.Pictures.Picture_Palette;
  const int background = Most_Used_Color(run.Pictures);
  Skip_Occupied(run);
  Fade(run, run.Work_Palette, palette, background, fading_style);
  Skip_Occupied(run);
  Write_Border_Preset(run, background);
  Write_Transparency(run, run.Pack_Pointer);
  Write_Memory_Preset(run, background, run.Pack_Pointer);
  Write_Color_Tables(run, palette, run.Pack_Pointer);
  run.Shown_Screen.Fill(static_cast<std::uint8_t>(background));
}

}  // namespace

int Picture_Line_Of_Screen(const Creation_Run& run, int s) {
  const int lines = std::min(Max_Lines, static_cast<int>(run.coloring_table.size()) - 1);
  for (int line = 1; line <= lines; ++line) {
    const coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
    // A picture without an effect was announced as one that will not appear.
    if (rec.Screen_Of_Line == s && !Get_Appearance_Effect(rec.picture).empty()) return line;
  }
  return 0;
}

Picture_Step Show_Picture(Creation_Run& run, const Song& song, int s, std::int64_t prev_end) {
  Picture_Step step;
  const int line = Picture_Line_Of_Screen(run, s);
  if (line == 0) {
    run.Picture_On_Screen = false;
    return step;
  }
  const coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
  if (Property_Is_Set(rec.picture, "right_after_lyrics"))
    run.Pack_Pointer = std::min(run.Pack_Pointer, prev_end + 1);
  const bool overwrite = s > 1 && Property_Is_Set(rec.picture, "overwrite_last_screen");
  const bool keep = overwrite && run.Picture_On_Screen;
  Picture_Work& work = run.Pictures;
  if (!keep) {
    work.Color_Usage.fill(0);
    work.Reserved_Colors.fill(0);
  }
  bool prepared = false;
  const int last = keep ? s : Prepare_Overwriting_Pictures(run, song, s, prepared);
  // Drawn over a lyrics screen, the picture keeps that screen's colours and its background.
  const bool over_lyrics = overwrite && !run.Picture_On_Screen;
  Reserve_Lyrics_Colors(run, song, over_lyrics ? s - 1 : s, last, work.Reserved_Colors);
  if (over_lyrics) work.Reserved_Colors[0] = 1;
  work.Picture_Palette = over_lyrics ? run.Work_Palette : song.Palette;
  std::string message;
  if (!Convert(run, song, rec, keep, prepared, message)) {
    Show_Message(run.ui, message + " The picture of line " + std::to_string(line) +
                             " will not appear in your file!");
    return step;
  }
  Copy_Mapped_To_Target(run);
  if (!overwrite) {
    Clear_To_Picture_Background(run, run.Settings.Fading_Style);
  } else if (!keep) {
    Skip_Occupied(run);
    Write_Color_Tables(run, work.Picture_Palette, run.Pack_Pointer);
  }
  run.Work_Palette = work.Picture_Palette;
  run.Picture_On_Screen = true;
  Skip_Interpretation_To(run, run.Pack_Pointer - 1);
  step.shown = true;
  step.properties = rec.picture;
  step.update_now = !Property_Is_Set(rec.picture, "along_with_lyrics");
  // Taken before the tiles are drawn: wipe packs met on the way recolour the target too, and
  // an erased line must give back the picture, not the letters those packs left on it.
  run.Background_Screen = run.Target_Screen;
  if (step.update_now) Draw_Picture_Tiles(run, rec.picture);
  return step;
}

void Finish_Picture(Creation_Run& run, const Picture_Step& step) {
  if (!step.shown) return;
  if (!step.update_now) Draw_Picture_Tiles(run, step.properties);
  run.Pack_Pointer +=
      static_cast<std::int64_t>(std::nearbyint(Hold_Seconds(step.properties) * Packs_Per_Second));
}

}  // namespace lyricanvas
