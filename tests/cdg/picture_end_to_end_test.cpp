// Pictures in created songs, decoded by an independent decoder (the ffmpeg command). Pictures
// drawn over the one before keep its palette, chosen with their colours counted too.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "cdg/cdg_decoder.h"
#include "cdg/coloring.h"
#include "cdg/creation.h"
#include "cdg/packs.h"
#include "cdg/picture_screens.h"
#include "pictures/picture_source.h"
#include "support/bmp_builder.h"
#include "support/ffmpeg.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Rgb8;
using testing::Temp_Dir;

constexpr double First_Wipe = 25;  ///< seconds

std::string Photo_Bmp() {
  testing::Bmp_Shape shape = testing::Shape(288, 192);
  shape.color = [](int x, int y) -> Rgb8 {
    const double d = std::hypot(x - 200.0, y - 60.0);
    return {static_cast<int>(40 + 180.0 * x / 287), static_cast<int>(30 + 150.0 * y / 191),
            static_cast<int>(std::clamp(220 - d, 20.0, 220.0))};
  };
  return testing::Make_Bmp(shape);
}

/// The song: a title picture on its own screen, a blank line, two timed lines.
void Build_Title_Song(Song& song, const std::string& bmp_path, const std::string& bmp) {
  std::vector<testing::Song_Line> lines(2);
  for (int n = 0; n < 2; ++n) {
    const double at = First_Wipe + 3 * n;
    lines.push_back(
        {{{"Hel", at, at + 0.4}, {"lo ", at + 0.5, at + 0.9}, {"world", at + 1, at + 1.5}}, 1 + n});
  }
  testing::Build_Song(song, lines);
  Insert_Picture(song, 0, bmp, bmp_path);
  Edit_Picture_Properties(song, 1, [&](std::string& properties) {
    properties =
        "<Appearance_effect=Left to right><along_with_lyrics=0><hold_time=3><right_after_lyrics=0>"
        "<overwrite_last_screen=0><dither_picture=1><reverse_effect=0><filename=" +
        bmp_path + ">";
  });
  song.Window_Controls.Set_Text("txt_lines_on_screen", "4");
}

/// Creates the .cdg with a fixed seed for the ragged fronts; the run after it, or nullptr.
std::unique_ptr<Creation_Run> Create(Song& song, const std::string& output,
                                     testing::Recording_Ui& recorder) {
  song.Window_Controls.Set_Text("Txt_TotalTime", "0:40");
  song.Window_Controls.Set_Text("txt_Filename", 2, output);
  auto run = std::make_unique<Creation_Run>();
  run->ui = recorder.ui();
  Read_Creation_Settings(*run, song);
  build_coloring_table(*run, song);
  run->Effect_Random.seed(3);
  return Create_CDG(*run, song) ? std::move(run) : nullptr;
}

/// The colour of a palette entry, or of an inner pixel of an ffmpeg frame.
Rgb8 Color_Of(const Palette_Table& palette, int i) {
  const auto& e = palette[static_cast<std::size_t>(i)];
  return {e[1] * 17, e[2] * 17, e[3] * 17};
}
Rgb8 Inner_Pixel(const std::string& frame, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y + 12) * Cdg_Width + x + 6) * 3;
  return {static_cast<std::uint8_t>(frame[at]), static_cast<std::uint8_t>(frame[at + 1]),
          static_cast<std::uint8_t>(frame[at + 2])};
}

/// The first and last tile pack between the picture's clearing preset and the lyrics' clear.
std::pair<std::int64_t, std::int64_t> Picture_Tiles(const std::string& cdg) {
  const auto count = static_cast<std::int64_t>(cdg.size() / Cdg_Pack_Bytes);
  auto instruction = [&](std::int64_t k) {
    const std::size_t at = static_cast<std::size_t>(k) * Cdg_Pack_Bytes;
    return (cdg[at] & 63) == 9 ? cdg[at + 1] & 63 : -1;
  };
  std::int64_t k = 0, first = -1, last = -1;
  while (k < count && instruction(k) != Memory_Preset) ++k;
  while (k < count && instruction(k) == Memory_Preset) ++k;
  for (; k < count && instruction(k) != Memory_Preset; ++k) {
    if (instruction(k) != Tile_Block && instruction(k) != Tile_Block_Xor) continue;
    if (first < 0) first = k;
    last = k;
  }
  return {first, last};
}

TEST(TitlePicture, BuildsFromTheLeftToTheMappedPictureAndGivesTheScreenBack) {
  if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  Temp_Dir dir;
  const std::string bmp = Photo_Bmp(), cdg = dir.File("title.cdg");
  testing::Write_File(dir.File("title.bmp"), bmp);
  Song song;
  Build_Title_Song(song, dir.File("title.bmp"), bmp);
  testing::Recording_Ui recorder;
  const auto run = Create(song, cdg, recorder);
  ASSERT_NE(run, nullptr);
  const auto [first_tile, last_tile] = Picture_Tiles(testing::Read_File(cdg));
  const std::int64_t lyrics_shown = static_cast<std::int64_t>(First_Wipe * 300) - 10;
  ASSERT_TRUE(first_tile >= 0 && last_tile + 300 < lyrics_shown) << first_tile << " " << last_tile;
  std::string error;
  const auto frames = testing::Ffmpeg_Frames(
      cdg, {(first_tile + last_tile) / 2, last_tile + 300, lyrics_shown}, &error);
  ASSERT_EQ(frames.size(), 3u) << error;
  const std::string &building = frames[0], &built = frames[1], &lyrics = frames[2];
  const Picture_Work& work = run->Pictures;
  int left = 0, right = 0, wrong = 0, foreign = 0, body = 0;
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x) {
      // Half-way, the left half is far more complete than the right.
      (x < Inner_Width / 2 ? left : right) +=
          Inner_Pixel(building, x, y) == Inner_Pixel(built, x, y);
      // Once built, exactly the mapped picture.
      wrong += Inner_Pixel(built, x, y) != Color_Of(work.Picture_Palette, work.Mapped_At(y, x));
      // The lyrics after it show in the song's own colours.
      const Rgb8 pixel = Inner_Pixel(lyrics, x, y);
      bool of_song = false;
      for (int i = 0; i < 16; ++i) of_song = of_song || pixel == Color_Of(song.Palette, i);
      foreign += !of_song;
      body += pixel == Color_Of(song.Palette, song.Singers[1].Unwiped_Body);
    }
  EXPECT_GT(left, right + Inner_Width * Inner_Height / 8) << left << " left, " << right << " right";
  EXPECT_EQ(wrong, 0);
  // The mapped picture uses every entry the lyrics leave free.
  EXPECT_GE(std::count_if(work.Color_Usage.begin(), work.Color_Usage.end(),
                          [](int count) { return count > 0; }),
            12);
  EXPECT_EQ(foreign, 0) << "lyrics pixels in no colour of the song's palette";
  EXPECT_EQ(Inner_Pixel(lyrics, 0, 0), Color_Of(song.Palette, 0));
  EXPECT_GT(body, 50);
  // The picture stored in the project, its file gone, or read from the file where it was moved:
  // the same stream.
  std::filesystem::rename(dir.File("title.bmp"), dir.File("moved.bmp"));
  for (const bool stored : {true, false}) {
    Song again;
    Build_Title_Song(again, dir.File(stored ? "title.bmp" : "moved.bmp"), bmp);
    again.Window_Controls.Set_Check("Chk_Store_Pictures", stored ? 1 : 0);
    ASSERT_NE(Create(again, dir.File("again.cdg"), recorder), nullptr) << stored;
    EXPECT_EQ(testing::Read_File(dir.File("again.cdg")), testing::Read_File(cdg)) << stored;
  }
}

// A picture file cut short, missing, or a FIFO (which must not hang the run): said once after
// the file's name.
TEST(PictureScreens, APictureThatCannotBeReadIsLeftOutWithOneMessage) {
  const std::string bmp = Photo_Bmp();
  for (const auto& [name, said] : {std::pair<std::string, std::string>{"cut", " is cut short"},
                                   {"missing", ")"},
                                   {"fifo", " is a FIFO, not a regular file!"}}) {
    SCOPED_TRACE(name);
    Temp_Dir dir;
    const std::string path = dir.File(name + ".bmp");
    if (name == "cut") testing::Write_File(path, bmp.substr(0, 2000));
    ASSERT_TRUE(name != "fifo" || mkfifo(path.c_str(), 0600) == 0);
    Song song;
    Build_Title_Song(song, path, bmp);
    song.Window_Controls.Set_Check("Chk_Store_Pictures", 0);  // read from the file named
    testing::Recording_Ui recorder;
    const auto run = Create(song, dir.File("title.cdg"), recorder);
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(recorder.messages.size(), 2u);  // the picture, then "Finished writing"
    EXPECT_NE(recorder.messages[0].find(path + said), std::string::npos) << recorder.messages[0];
    EXPECT_FALSE(run->Picture_On_Screen);
  }
}

struct Shown_Picture {
  Rgb8 left, right;  ///< the two halves of a full-screen picture
  bool overwrite;
  bool from_png_file = false;  ///< named as a PNG file, the project storing no pictures
};

/// One screen per picture, in order, then a screen of lyrics; the run after creating the
/// .cdg, or nullptr when the pictures did not land one per screen.
std::unique_ptr<Creation_Run> Create_Pictures(const std::vector<Shown_Picture>& pictures,
                                              const Temp_Dir& dir) {
  Song song;
  testing::Build_Song(song, {{{{"Hel", 30, 30.4}, {"lo", 30.5, 31}}, 1}});
  for (auto p = pictures.rbegin(); p != pictures.rend(); ++p) {
    testing::Bmp_Shape shape = testing::Shape(288, 192);
    shape.color = [p](int x, int) { return x < 144 ? p->left : p->right; };
    const std::string bmp = testing::Make_Bmp(shape);
    std::string file;
    if (p->from_png_file) {
      file = dir.File(std::to_string(p - pictures.rbegin()) + ".png");
      if (!QImage::fromData(bmp).save(QString::fromStdString(file), "PNG")) return nullptr;
      song.Window_Controls.Set_Check("Chk_Store_Pictures", 0);
    }
    const int position = Insert_Picture_Line(song, 0, bmp, file, true);
    Edit_Picture_Properties(song, position, [&](std::string& properties) {
      properties = std::string("<Appearance_effect=Left to right><hold_time=1>") +
                   "<dither_picture=0><filename=" + file +
                   "><overwrite_last_screen=" + (p->overwrite ? "1" : "0") + ">";
    });
  }
  testing::Recording_Ui recorder;
  auto run = Create(song, dir.File("p.cdg"), recorder);
  for (int s = 1; run && s <= static_cast<int>(pictures.size()); ++s)
    if (Picture_Line_Of_Screen(*run, s) == 0) return nullptr;
  return run;
}

/// Whether a palette entry shows a colour within one level of each channel.
bool Shows(const Palette_Table& palette, int entry, const Rgb8& rgb) {
  const Rgb8 shown = Color_Of(palette, entry);
  for (std::size_t c = 0; c < 3; ++c)
    if (std::abs(shown[c] - rgb[c]) > 17) return false;
  return true;
}

TEST(OverwritingPictures, ThePaletteOfTheFirstPictureServesThoseDrawnOverIt) {
  const Rgb8 red{238, 17, 17}, dark{102, 0, 0}, teal{34, 204, 153}, violet{204, 68, 238},
      amber{255, 170, 0}, navy{17, 34, 119};
  struct Case {
    const char* name;
    std::vector<Shown_Picture> pictures;
    std::vector<Rgb8> in_palette;  ///< the last palette must show these
  };
  const std::vector<Case> cases{
      {"a chain of two over the first",
       {{red, dark, false}, {teal, violet, true}, {amber, navy, true}},
       {red, teal, violet, amber, navy}},
      {"a fresh picture starts a palette of its own",
       {{red, dark, false}, {teal, violet, false}, {amber, navy, true}},
       {teal, violet, amber, navy}},
      {"a PNG file", {{amber, navy, false, true}}, {amber, navy}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Temp_Dir dir;
    const std::unique_ptr<Creation_Run> run = Create_Pictures(c.pictures, dir);
    ASSERT_NE(run, nullptr);
    const Picture_Work& work = run->Pictures;
    for (const Rgb8& rgb : c.in_palette) {
      bool shown = false;
      for (int i = 0; i < 16; ++i) shown = shown || Shows(work.Picture_Palette, i, rgb);
      EXPECT_TRUE(shown) << rgb[0] << "," << rgb[1] << "," << rgb[2];
    }
    // The last picture is mapped onto its true colours on both halves.
    EXPECT_TRUE(Shows(work.Picture_Palette, work.Mapped_At(100, 20), c.pictures.back().left));
    EXPECT_TRUE(Shows(work.Picture_Palette, work.Mapped_At(100, 260), c.pictures.back().right));
  }
}

}  // namespace
}  // namespace lyricanvas
