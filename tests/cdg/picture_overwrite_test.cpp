// Pictures drawn over the picture before them keep its palette: that palette must have been
// chosen with their colours counted too, through a whole chain of such pictures. Also a
// picture read from a PNG file when the project does not store its pictures.
#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "cdg/coloring.h"
#include "cdg/creation.h"
#include "cdg/picture_screens.h"
#include "pictures/picture_source.h"
#include "support/bmp_builder.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Rgb8;

struct Shown_Picture {
  Rgb8 left, right;  ///< the two halves of a full-screen picture
  bool overwrite;
  bool from_png_file = false;  ///< named as a PNG file, the project storing no pictures
};

std::string Two_Halves(const Shown_Picture& picture) {
  testing::Bmp_Shape shape = testing::Shape(288, 192);
  shape.color = [picture](int x, int) { return x < 144 ? picture.left : picture.right; };
  return testing::Make_Bmp(shape);
}

/// One screen per picture, in order, then a screen of lyrics; creates the .cdg and returns the
/// run after it, or nullptr when the pictures did not land one per screen.
std::unique_ptr<Creation_Run> Create(const std::vector<Shown_Picture>& pictures,
                                     const testing::Temp_Dir& dir) {
  Song song;
  testing::Build_Song(song, {{{{"Hel", 30, 30.4}, {"lo", 30.5, 31}}, 1}});
  for (auto p = pictures.rbegin(); p != pictures.rend(); ++p) {
    const std::string bmp = Two_Halves(*p);
    std::string file;
    if (p->from_png_file) {
      file = dir.File(std::to_string(p - pictures.rbegin()) + ".png");
      if (!QImage::fromData(bmp).save(QString::fromStdString(file), "PNG")) return nullptr;
      song.Window_Controls.Set_Check("Chk_Store_Pictures", 0);
    }
    const int position = Insert_Picture_Line(song, 0, bmp, file, true);
    Edit_Picture_Properties(song, position, [&](std::string& properties) {
      properties = std::string("<Appearance_effect=Left to right><hold_time=1>") +
                   "<dither_picture=0><filename=" + file + "><overwrite_last_screen=" +
                   (p->overwrite ? "1" : "0") + ">";
    });
  }
  song.Window_Controls.Set_Text("Txt_TotalTime", "0:40");
  song.Window_Controls.Set_Text("txt_Filename", 2, dir.File("p.cdg"));
  auto run = std::make_unique<Creation_Run>();
  testing::Recording_Ui recorder;
  run->ui = recorder.ui();
  Read_Creation_Settings(*run, song);
  build_coloring_table(*run, song);
  run->Effect_Random.seed(3);
  if (!Create_CDG(*run, song)) return nullptr;
  for (int s = 1; s <= static_cast<int>(pictures.size()); ++s)
    if (Picture_Line_Of_Screen(*run, s) == 0) return nullptr;
  return run;
}

/// Whether a palette entry shows a colour within one level of each channel.
bool Shows(const Palette_Table& palette, int entry, const Rgb8& rgb) {
  const auto& e = palette[static_cast<std::size_t>(entry)];
  for (int c = 0; c < 3; ++c)
    if (std::abs(e[static_cast<std::size_t>(c + 1)] * 17 - rgb[static_cast<std::size_t>(c)]) > 17)
      return false;
  return true;
}

bool Palette_Has(const Palette_Table& palette, const Rgb8& rgb) {
  for (int i = 0; i < 16; ++i)
    if (Shows(palette, i, rgb)) return true;
  return false;
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
      {"one over the first", {{red, dark, false}, {teal, violet, true}}, {red, teal, violet}},
      {"a chain of two over the first",
       {{red, dark, false}, {teal, violet, true}, {amber, navy, true}},
       {red, teal, violet, amber, navy}},
      {"a fresh picture starts a palette of its own",
       {{red, dark, false}, {teal, violet, false}, {amber, navy, true}},
       {teal, violet, amber, navy}},
      {"a PNG file", {{amber, navy, false, true}}, {amber, navy}},
  };
  for (const Case& c : cases) {
    testing::Temp_Dir dir;
    const std::unique_ptr<Creation_Run> run = Create(c.pictures, dir);
    ASSERT_NE(run, nullptr) << c.name;
    const Picture_Work& work = run->Pictures;
    for (const Rgb8& rgb : c.in_palette)
      EXPECT_TRUE(Palette_Has(work.Picture_Palette, rgb))
          << c.name << ": " << rgb[0] << "," << rgb[1] << "," << rgb[2];
    // The last picture is mapped onto its true colours on both halves.
    const Shown_Picture& last = c.pictures.back();
    EXPECT_TRUE(Shows(work.Picture_Palette, work.Mapped_At(100, 20), last.left)) << c.name;
    EXPECT_TRUE(Shows(work.Picture_Palette, work.Mapped_At(100, 260), last.right)) << c.name;
  }
}

}  // namespace
}  // namespace lyricanvas
