// Songs created by the whole engine, each compared with its line "case SHA-1" in
// tests/data/cdg/golden/hashes.txt, the hash taken over the .cdg's bytes and the run's messages.
// Together they draw every wiping and fading style, 1 to 8 lines on a screen, two singers, soft
// and hard screen changes, the reduced frame rate, timebase pairs, pictures with every effect and
// drawn over one another, and a line crowded past its wipe points. To approve an intended change
// of the output, look at a few frames (LYRICANVAS_GOLDEN_KEEP=folder keeps the files, and
// lyricanvas-cli frame shows them), then run the test with LYRICANVAS_APPROVE_GOLDEN=1: it
// rewrites the file instead of comparing.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "cdg/coloring.h"
#include "cdg/creation.h"
#include "pictures/picture_source.h"
#include "support/bmp_builder.h"
#include "support/song_builder.h"
#include "support/test_support.h"
#include "timed_song_text.h"

namespace lyricanvas {
namespace {

const char* const Evening_Song =
    "Eve@4.30 ~ning@4.70 falls@5.10 a@5.60 ~round@6.00\n"
    "2>Stars@6.90 are@7.30 out@7.70 a@8.20 ~gain@8.60\n";
/// Screen 2 is drawn while its first wipe runs.
const char* const Morning_Song =
    "Mor@3.00 ~ning@3.40 on@3.70 the@4.20 bay@4.80\n"
    "2>Gulls@5.70 are@6.15 cir@6.50 ~cling@7.05 home@7.45\n\n"
    "Tell@7.95 me@8.45 the@8.95 tale@9.45 now@10.00\n"
    "2>Sing@11.10 it@11.60 soft@12.00 ~ly,@12.40 dear@12.70\n";
/// Descenders on every line, for the tall and crowded layouts.
const char* const Descender_Song =
    "Sing@2.00 joy@2.50 gaily@3.00\n"
    "Hug@3.60 the@4.00 yard@4.40 pig@4.80\n"
    "2>Gap@5.40 jig@5.80 quay@6.20-9.00\n\n"
    "Yes@10.00 gypsy@11.00\n"
    "Play@12.00 jig@13.00-13.50\n"
    "2>Big@16.00 ~gy@16.50\n";
/// Screen 2 replaces screen 1 line by line; screen 3 follows too closely and forces a hard change.
const char* const Changing_Song =
    "Gyp@2.00 ~sy@2.50 jig@3.00\n"
    "2>Jolly@4.00 quay@5.00\n\n"
    "Five@7.00 six@8.00\n"
    "Seven@9.00 eight@10.00\n"
    "2>Nine@11.00 ten@12.00\n\n"
    "Quick@12.60 ~ly@12.70\n"
    "Now@12.80 here@12.90\n"
    "Slow@14.00 end@15.00\n";
/// The first syllable at 0.3 s: the first screen is drawn before the usual second. Screen 2
/// replaces it line by line, over the picture when one opens screen 1.
const char* const Early_Song =
    "Up@0.30 and@0.60 a@0.90 ~way@1.20 we@1.50 go@1.80\n"
    "2>Out@2.40 in@2.70 the@3.00 day@3.30-9.00\n\n"
    "Then@10.00 we@10.50 rest@11.00\n"
    "All@12.00 day@12.50\n"
    "2>Long@13.00 ~er@13.50\n";

/// An untimed title, a short word held long, pauses of 35 s inside a line and a word, a syllable
/// timed before the one ahead of it and an untimed one between two timed.
const char* const Slow_Song =
    "Slow@0 song@0\n"
    "I@3.00 know@3.30 I@4.00 wait@6.00 for@41.00 you@40.50 now@42.00\n"
    "Hold@43.00 the@0 wa@44.00-45.00 ~it@80.00\n";
/// Its first syllable, from 2 to 19 s, holds more wipe points than a line may.
const char* const Crowded_Song =
    "Crowd@2.00 ~ed@19.00 line@20.00\n2>Stars@21.00 are@21.50 out@22.00\n";

/// A picture opening a screen of its own, or the screen of the lyrics after it.
struct Picture {
  std::string properties;
  bool own_screen = true;
};

/// An entry of the creation tab: index -1 for a single box.
struct Entry {
  const char* name;
  int index;
  std::string value;
};

struct Golden_Case {
  const char* name;
  const char* song;
  std::vector<Entry> entries = {};  ///< of the creation tab
  double size = 18;
  std::vector<Picture> pictures = {};  ///< in this order before the lyrics
  int crowd = 0;                       ///< events added to the first syllable
  bool from_files = false;             ///< pictures read from the PNG files their properties name
};

/// A smooth picture with a bright disc; each variant has other colours.
std::string Picture_Bmp(int variant) {
  testing::Bmp_Shape shape = testing::Shape(288, 192);
  shape.color = [variant](int x, int y) -> testing::Rgb8 {
    const int disc = std::hypot(x - 60.0 * (variant + 1), y - 90.0) < 50 ? 90 : 0;
    return {(x * 200 / 287 + 50 * variant) % 256, std::min(255, y + disc),
            (128 + 70 * variant) % 256};
  };
  return testing::Make_Bmp(shape);
}

/// The SHA-1 of the created .cdg and the run's messages (the scratch folder written as "@").
std::string Created_Hash(const Golden_Case& c) {
  Song song;
  testing::Build_Song(song, Parse_Song(c.song));
  for (int f = 1; f <= song.Field_Count; ++f)
    if (Event_Time_Packs(song.Fields[f].Events, 1) == 0) song.Fields[f].Events.clear();
  for (int k = c.crowd; k >= 1; --k)  // between the first syllable's start and end, to and fro
    song.Fields[1].Events.insert(4, Encode_Event(1 + k * 97 % 249, 600 + 12 * k));
  testing::Temp_Dir dir;
  for (int i = static_cast<int>(c.pictures.size()) - 1; i >= 0; --i) {
    const std::string bmp = Picture_Bmp(i), file = dir.File(std::to_string(i) + ".png");
    if (c.from_files) {
      EXPECT_TRUE(QImage::fromData(QByteArray::fromStdString(bmp)).save(file.c_str(), "PNG"));
    }
    const Picture& p = c.pictures[static_cast<std::size_t>(i)];
    const int at = Insert_Picture_Line(song, 0, bmp, "", p.own_screen);
    Edit_Picture_Properties(song, at, [&](std::string& properties) {
      properties = p.properties + (c.from_files ? "<filename=" + file + ">" : "");
    });
  }
  song.RTB_Raw.Set_Font_Name(0, song.RTB_Raw.Length(), "Liberation Sans");
  song.RTB_Raw.Set_Font_Size(0, song.RTB_Raw.Length(), c.size);
  Controls& controls = song.Window_Controls;
  controls.Set_Check("Chk_Store_Pictures", !c.from_files);
  controls.Set_Text("txt_Filename", 2, dir.File("song.cdg"));
  controls.Set_Text("Txt_TotalTime", "0:20");
  controls.Set_Text("txt_lines_on_screen", "4");
  for (const Entry& e : c.entries) EXPECT_TRUE(controls.Set_Text(e.name, e.index, e.value));
  testing::Recording_Ui recorder;
  auto run = std::make_unique<Creation_Run>();
  run->ui = recorder.ui();
  Read_Creation_Settings(*run, song);
  build_coloring_table(*run, song);
  run->Effect_Random.seed(3);
  EXPECT_TRUE(Create_CDG(*run, song));
  if (const char* keep = std::getenv("LYRICANVAS_GOLDEN_KEEP"))  // a folder to look at them in
    std::filesystem::copy_file(dir.File("song.cdg"), std::string(keep) + "/" + c.name + ".cdg",
                               std::filesystem::copy_options::overwrite_existing);
  QCryptographicHash hash(QCryptographicHash::Sha1);
  hash.addData(QByteArray::fromStdString(testing::Read_File(dir.File("song.cdg"))));
  std::string messages;
  for (std::string message : recorder.messages) {
    for (std::size_t at; (at = message.find(dir.path.string())) != std::string::npos;)
      message.replace(at, dir.path.string().size(), "@");
    messages += message + "\n";
  }
  hash.addData(QByteArray::fromStdString(messages));
  return hash.result().toHex().toStdString();
}

TEST(GoldenOutput, CreatedSongsMatchTheirApprovedHashes) {
  const std::string effect = "<hold_time=1><dither_picture=0><Appearance_effect=";
  const Golden_Case cases[] = {
      {"evening_body_dvd", Evening_Song},
      {"evening_outline_smooth",
       Evening_Song,
       {{"Com_WipingStyle", -1, "Swipe text body & outline"},
        {"Com_FadingStyle", -1, "Smooth fading"},
        {"Txt_Source", 1, "5"},
        {"Txt_Dest", 1, "5"},
        {"Txt_Source", 2, "6"},
        {"Txt_Dest", 2, "7"},
        {"Txt_Source", 3, "8"},  // the same destination as the pair before: left out
        {"Txt_Dest", 3, "7"}}},
      {"morning_swap_none",
       Morning_Song,
       {{"Com_WipingStyle", -1, "Swap text body & outline"},
        {"Com_FadingStyle", -1, "None"},
        {"Txt_Source", 1, "3"},
        {"Txt_Dest", 1, "3,5"},
        {"Txt_Source", 3, "9"},  // without a second pair: left out
        {"Txt_Dest", 3, "20"}}},
      {"descender_no_outline_2_large",
       Descender_Song,
       {{"Com_WipingStyle", -1, "Draw no outline"}, {"txt_lines_on_screen", -1, "2"}},
       36},
      {"descender_1_none",
       Descender_Song,
       {{"txt_lines_on_screen", -1, "1"}, {"Com_FadingStyle", -1, "None"}},
       20},
      {"descender_8_cut", Descender_Song, {{"txt_lines_on_screen", -1, "8"}}, 20},
      {"changing_soft_hard", Changing_Song, {}, 30},
      {"evening_reduced_timebase",
       Evening_Song,
       {{"chk_framerate", -1, "1"},
        {"Chk_Reverse", -1, "1"},
        {"Txt_Silence", -1, "1"},
        {"Txt_Source", 1, "5"},
        {"Txt_Dest", 1, "6"},
        {"Txt_Source", 2, "7"},
        {"Txt_Dest", 2, "7,5"},
        {"Txt_Source", 3, "8"},
        {"Txt_Dest", 3, "10"}}},
      {"early_under_picture",
       Early_Song,
       {},
       18,
       {{"<Appearance_effect=Left to right><hold_time=0><dither_picture=0>", false}}},
      {"picture_effects",
       Evening_Song,
       {{"Txt_TotalTime", -1, "0:55"}, {"Txt_Silence", -1, "40"}},
       18,
       {{"<hold_time=1><dither_picture=1><Appearance_effect=Left to right>"},
        {effect + "Top to bottom><reverse_effect=1>"},
        {effect + "Circle out>"},
        {effect + "Oval out><reverse_effect=1>"},
        {effect + "Lightest to darkest>"},
        {effect + "Spiral in>"}}},
      {"pictures_drawn_over",
       Evening_Song,
       {{"Txt_Silence", -1, "10"}},
       18,
       {{effect + "Left to right>"},
        {effect + "Circle out><overwrite_last_screen=1>"},
        {effect + "Top to bottom><overwrite_last_screen=1>"}},
       0,
       true},
      {"slow", Slow_Song, {{"Txt_TotalTime", -1, "1:25"}}},
      {"crowded_8",
       Crowded_Song,
       {{"txt_lines_on_screen", -1, "8"}, {"Txt_TotalTime", -1, "0:25"}},
       18,
       {},
       400},
  };
  std::string hashes;
  for (const Golden_Case& c : cases) hashes += std::string(c.name) + " " + Created_Hash(c) + "\n";
  testing::Expect_Golden("cdg/golden/hashes.txt", hashes);
}

}  // namespace
}  // namespace lyricanvas
