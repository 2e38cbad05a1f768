// End to end with a title picture: a photograph-like BMP shown "Left to right" and held three
// seconds before two lines of lyrics, decoded by an independent CD+G decoder (the ffmpeg
// command). The picture must build up from the left, end as exactly our own mapped picture,
// and give the screen back to the lyrics' palette.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cdg/cdg_decoder.h"
#include "cdg/coloring.h"
#include "cdg/creation.h"
#include "cdg/packs.h"
#include "pictures/picture_source.h"
#include "support/bmp_builder.h"
#include "support/ffmpeg.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

constexpr int Border_X = 6;
constexpr int Border_Y = 12;
constexpr double First_Wipe = 25;  ///< seconds
constexpr char Title_Properties[] =
    "<Appearance_effect=Left to right><along_with_lyrics=0><hold_time=3>"
    "<right_after_lyrics=0><overwrite_last_screen=0><dither_picture=1><reverse_effect=0>";

using Rgb = std::array<int, 3>;

testing::Rgb8 Photo(int x, int y) {
  const double d = std::hypot(x - 200.0, y - 60.0);
  return {static_cast<int>(40 + 180.0 * x / 287), static_cast<int>(30 + 150.0 * y / 191),
          static_cast<int>(std::clamp(220 - d, 20.0, 220.0))};
}

Rgb Inner_Pixel(const std::string& frame, int x, int y) {
  const std::size_t at =
      (static_cast<std::size_t>(y + Border_Y) * Cdg_Width + static_cast<std::size_t>(x + Border_X)) * 3;
  return {static_cast<std::uint8_t>(frame[at]), static_cast<std::uint8_t>(frame[at + 1]),
          static_cast<std::uint8_t>(frame[at + 2])};
}

Rgb Color_Of(const Palette_Table& palette, int i) {
  const auto& e = palette[static_cast<std::size_t>(i)];
  return {e[1] * 17, e[2] * 17, e[3] * 17};
}

/// The song: a title picture on its own screen, a blank line, two timed lines.
void Build_Title_Song(Song& song, const std::string& bmp_path, const std::string& bmp) {
  std::vector<testing::Song_Line> lines(2);
  for (int n = 0; n < 2; ++n) {
    testing::Song_Line line;
    line.singer = 1 + n;
    const double at = First_Wipe + 3 * n;
    line.syllables = {{"Hel", at, at + 0.4}, {"lo ", at + 0.5, at + 0.9}, {"world", at + 1, at + 1.5}};
    lines.push_back(line);
  }
  testing::Build_Song(song, lines);
  Insert_Picture(song, 0, bmp, bmp_path);
  Edit_Picture_Properties(song, 1, [&](std::string& properties) {
    properties = Title_Properties + std::string("<filename=") + bmp_path + ">";
  });
  Controls& c = song.Window_Controls;
  c.Set_Text("Txt_TotalTime", "0:40");
  c.Set_Text("txt_lines_on_screen", "4");
}

/// Creates the .cdg with a fixed seed for the ragged fronts; returns its bytes ("" on failure).
std::string Create_With_Seed(Song& song, const std::string& output, Creation_Run* keep = nullptr) {
  song.Window_Controls.Set_Text("txt_Filename", 2, output);
  auto run = std::make_unique<Creation_Run>();
  testing::Recording_Ui recorder;
  run->ui = recorder.ui();
  Read_Creation_Settings(*run, song);
  build_coloring_table(*run, song);
  run->Effect_Random.seed(3);
  if (!Create_CDG(*run, song)) return {};
  if (keep) *keep = std::move(*run);
  return testing::Read_File(output);
}

struct Title_Scenario {
  Song song;
  std::unique_ptr<Creation_Run> run = std::make_unique<Creation_Run>();
  std::string cdg;
  std::string failure;
  std::int64_t first_tile = -1, last_tile = -1;
  std::string building, built, lyrics;  ///< ffmpeg frames
};

int Instruction(const std::string& cdg, std::int64_t k) {
  return (cdg[static_cast<std::size_t>(k) * Cdg_Pack_Bytes] & 63) == 9
             ? cdg[static_cast<std::size_t>(k) * Cdg_Pack_Bytes + 1] & 63
             : -1;
}

/// The tile packs between the picture's clearing preset and the next one (the lyrics' clear).
void Find_Picture_Tiles(Title_Scenario& sc) {
  const auto count = static_cast<std::int64_t>(sc.cdg.size() / Cdg_Pack_Bytes);
  std::int64_t k = 0;
  while (k < count && Instruction(sc.cdg, k) != Memory_Preset) ++k;
  while (k < count && Instruction(sc.cdg, k) == Memory_Preset) ++k;
  for (; k < count && Instruction(sc.cdg, k) != Memory_Preset; ++k) {
    const int i = Instruction(sc.cdg, k);
    if (i != Tile_Block && i != Tile_Block_Xor) continue;
    if (sc.first_tile < 0) sc.first_tile = k;
    sc.last_tile = k;
  }
}

std::unique_ptr<Title_Scenario> Build_Title_Scenario(const testing::Temp_Dir& dir) {
  auto sc = std::make_unique<Title_Scenario>();
  testing::Bmp_Shape shape = testing::Shape(288, 192);
  shape.color = Photo;
  const std::string bmp = testing::Make_Bmp(shape);
  testing::Write_File(dir.File("title.bmp"), bmp);
  Build_Title_Song(sc->song, dir.File("title.bmp"), bmp);
  sc->cdg = Create_With_Seed(sc->song, dir.File("title.cdg"), sc->run.get());
  if (sc->cdg.empty()) {
    sc->failure = "no .cdg was written";
    return sc;
  }
  Find_Picture_Tiles(*sc);
  const std::int64_t lyrics_shown = static_cast<std::int64_t>(First_Wipe * 300) - 10;
  if (sc->first_tile < 0 || sc->last_tile + 300 >= lyrics_shown) {
    sc->failure = "the picture's tiles are not where they belong";
    return sc;
  }
  const std::vector<std::int64_t> packs{(sc->first_tile + sc->last_tile) / 2, sc->last_tile + 300,
                                        lyrics_shown};
  std::string error;
  auto frames = testing::Ffmpeg_Frames(dir.File("title.cdg"), packs, &error);
  if (frames.size() != packs.size()) {
    sc->failure = "ffmpeg: " + error;
    return sc;
  }
  sc->building = frames[0];
  sc->built = frames[1];
  sc->lyrics = frames[2];
  return sc;
}

class TitlePicture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<testing::Temp_Dir>();
    if (testing::Have_Ffmpeg()) scenario_ = Build_Title_Scenario(*dir_);
  }
  static void TearDownTestSuite() {
    scenario_.reset();
    dir_.reset();
  }
  void SetUp() override {
    if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    ASSERT_TRUE(scenario_->failure.empty()) << scenario_->failure;
  }
  static const Title_Scenario& Sc() { return *scenario_; }
  static std::unique_ptr<testing::Temp_Dir> dir_;
  static std::unique_ptr<Title_Scenario> scenario_;
};

std::unique_ptr<testing::Temp_Dir> TitlePicture::dir_;
std::unique_ptr<Title_Scenario> TitlePicture::scenario_;

TEST_F(TitlePicture, BuildsUpFromTheLeft) {
  int left = 0, right = 0;
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x) {
      const bool done = Inner_Pixel(Sc().building, x, y) == Inner_Pixel(Sc().built, x, y);
      (x < Inner_Width / 2 ? left : right) += done;
    }
  EXPECT_GT(left, right + Inner_Width * Inner_Height / 8) << left << " left, " << right << " right";
}

TEST_F(TitlePicture, OnceBuiltShowsExactlyTheMappedPicture) {
  const Picture_Work& work = Sc().run->Pictures;
  int wrong = 0;
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x)
      wrong += Inner_Pixel(Sc().built, x, y) != Color_Of(work.Picture_Palette, work.Mapped_At(y, x));
  EXPECT_EQ(wrong, 0);
  // A picture of this many shades uses every palette entry the lyrics leave free.
  int used = 0;
  for (int count : work.Color_Usage) used += count > 0;
  EXPECT_GE(used, 12);
}

TEST_F(TitlePicture, LyricsAfterItShowInTheirOwnColours) {
  const Song& song = Sc().song;
  int body = 0;
  const Rgb singer_body = Color_Of(song.Palette, song.Singers[1].Unwiped_Body);
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x) {
      const Rgb pixel = Inner_Pixel(Sc().lyrics, x, y);
      bool of_song = false;
      for (int i = 0; i < 16; ++i) of_song = of_song || pixel == Color_Of(song.Palette, i);
      ASSERT_TRUE(of_song) << "pixel " << x << "," << y << " is no colour of the song's palette";
      body += pixel == singer_body;
    }
  EXPECT_EQ(Inner_Pixel(Sc().lyrics, 0, 0), Color_Of(song.Palette, 0));
  EXPECT_GT(body, 50);
}

TEST(PictureScreens, APictureThatCannotBeReadIsLeftOutWithOneMessage) {
  testing::Bmp_Shape shape = testing::Shape(288, 192);
  shape.color = Photo;
  const std::string bmp = testing::Make_Bmp(shape);
  struct Case {
    const char* name;
    void (*make)(const std::string& path, const std::string& bmp);
    const char* said;  ///< after the file's name
  } cases[] = {
      {"cut.bmp",
       [](const std::string& path, const std::string& bmp) {
         testing::Write_File(path, bmp.substr(0, 2000));
       },
       " is cut short"},
      {"missing.bmp", [](const std::string&, const std::string&) {}, ")"},
      {"folder.bmp",
       [](const std::string& path, const std::string&) { std::filesystem::create_directory(path); },
       " is a directory, not a regular file!"},
      {"fifo.bmp",
       [](const std::string& path, const std::string&) {
         ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
       },
       " is a FIFO, not a regular file!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::Temp_Dir dir;
    const std::string path = dir.File(c.name);
    Song song;
    Build_Title_Song(song, path, bmp);
    c.make(path, bmp);
    song.Window_Controls.Set_Check("Chk_Store_Pictures", 0);  // read from the file named
    song.Window_Controls.Set_Text("txt_Filename", 2, dir.File("title.cdg"));
    testing::Recording_Ui recorder;
    auto run = std::make_unique<Creation_Run>();
    run->ui = recorder.ui();
    Read_Creation_Settings(*run, song);
    build_coloring_table(*run, song);
    ASSERT_TRUE(Create_CDG(*run, song));
    ASSERT_EQ(recorder.messages.size(), 2u);  // the picture, then "Finished writing"
    EXPECT_NE(recorder.messages[0].find(path + c.said), std::string::npos) << recorder.messages[0];
    EXPECT_FALSE(run->Picture_On_Screen);
  }
}

}  // namespace
}  // namespace lyricanvas
