// Timed songs created by the whole engine and played by an independent decoder (the ffmpeg
// command): syllables change colour on time, lines stand whole and fully wiped, tracks end cleared.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "cdg/cdg_decoder.h"
#include "cdg/coloring.h"
#include "cdg/creation.h"
#include "cdg/output_files.h"
#include "cdg/packs.h"
#include "model/layout.h"
#include "model/line_render.h"
#include "pictures/picture_source.h"
#include "support/bmp_builder.h"
#include "support/ffmpeg.h"
#include "support/song_builder.h"
#include "support/test_support.h"
#include "timed_song_text.h"

namespace lyricanvas {
namespace {

constexpr int Border_X = 6;  ///< inner area's corner in a decoded frame
constexpr int Border_Y = 12;
/// One video frame: how far a syllable's first change may lie from its time.
constexpr std::int64_t Frame_Packs = 12;

/// Each syllable lasts until the next one's time (Parse_Song); a blank line starts a new screen.
const char* const Evening_Song =
    "Eve@4.30 ~ning@4.70 falls@5.10 a@5.60 ~round@6.00\n"
    "Stars@6.90 are@7.30 out@7.70 a@8.20 ~gain@8.60\n";
const char* const Morning_Song =  // screen 2 is drawn while its first wipe runs
    "Mor@3.00 ~ning@3.40 on@3.70 the@4.20 bay@4.80\n"
    "Gulls@5.70 are@6.15 cir@6.50 ~cling@7.05 home@7.45\n\n"
    "Tell@7.95 me@8.45 the@8.95 tale@9.45 now@10.00\n"
    "Sing@11.10 it@11.60 soft@12.00 ~ly,@12.40 dear@12.70\n";
/// A short word held long, and a pause of 35 s inside a line.
const char* const Slow_Song = "I@3.00 know@3.30 I@4.00 wait@6.00 for@41.00 you@42.00\n";
const char* const Early_Song =
    "Up@0.30 and@0.60 a@0.90 ~way@1.20 we@1.50 go@1.80\n"
    "Out@2.40 in@2.70 the@3.00 day@3.30\n";
/// Descenders on every line, for the tall and crowded layouts.
const char* const Descender_Song =
    "Sing@2.00 joy@2.50 gaily@3.00\n"
    "Hug@3.60 the@4.00 yard@4.40 pig@4.80\n"
    "Gap@5.40 jig@5.80 quay@6.20\n";

struct Options {
  const char* song;
  std::string wiping = "Swipe text body only";
  std::string fading = "Cheap DVD fading";
  int lines = 4;
  double size = 18;
  bool bin = false;           ///< a .bin with fifteen seconds of silence instead of a .cdg
  const char* cut = nullptr;  ///< the lines the create click must say will be drawn cut
  bool picture = false;       ///< a picture opens screen 1, fading in while its first wipes run
};

struct Created {
  Song song;
  std::unique_ptr<Creation_Run> run = std::make_unique<Creation_Run>();
  testing::Temp_Dir dir;
  testing::Recording_Ui recorder;

  std::string Cdg() const { return dir.File("song.cdg"); }

  /// Palette index shown at inner pixel (x, y) of a frame; -1 for a colour of no entry.
  int Index_At(const QImage& frame, int x, int y) const {
    const auto entry = std::ranges::find(song.Palette_RGB, frame.pixel(x + Border_X, y + Border_Y));
    return entry == song.Palette_RGB.end() ? -1
                                           : static_cast<int>(entry - song.Palette_RGB.begin());
  }
};

/// Creates the song; a .bin's packs are then copied into song.cdg for the decoders.
std::unique_ptr<Created> Create(const Options& o) {
  auto c = std::make_unique<Created>();
  testing::Build_Song(c->song, Parse_Song(o.song));
  if (o.picture) {
    testing::Bmp_Shape shape{.width = 288, .height = 192};
    shape.color = [](int x, int y) -> testing::Rgb8 { return {x % 256, y, 128}; };
    const int at = Insert_Picture_Line(c->song, 0, testing::Make_Bmp(shape), "", false);
    Edit_Picture_Properties(c->song, at, [](std::string& properties) {
      properties = "<Appearance_effect=Left to right><hold_time=0><dither_picture=0>";
    });
  }
  c->song.RTB_Raw.Set_Font_Size(0, c->song.RTB_Raw.Length(), o.size);
  for (int i = 0; i < 16; ++i)  // sixteen colours that a decoded frame tells apart
    c->song.Palette[static_cast<std::size_t>(i)] = {0, i, 15 - i, (i * 7) % 16};
  Update_Palette_RGB(c->song);
  Controls& controls = c->song.Window_Controls;
  controls.Set_Text("txt_Filename", 2, o.bin ? c->dir.File("song.bin") : c->Cdg());
  controls.Set_Text("Txt_TotalTime", "0:15");  // or up to the last syllable
  controls.Set_Text("txt_lines_on_screen", std::to_string(o.lines));
  controls.Set_Text("Com_WipingStyle", o.wiping);
  controls.Set_Text("Com_FadingStyle", o.fading);
  if (o.bin) {
    const std::uint32_t data = 15 * 176400;  // fifteen seconds of silence
    testing::Write_File(c->dir.File("song.wav"),
                        testing::Wav_Header(data) + std::string(data, '\0'));
    controls.Set_Text("txt_Filename", 1, c->dir.File("song.wav"));
  }
  c->run->ui = c->recorder.ui();
  Read_Creation_Settings(*c->run, c->song);
  build_coloring_table(*c->run, c->song);
  EXPECT_TRUE(Create_CDG(*c->run, c->song)) << c->recorder.messages.back();
  if (o.bin) {
    const std::string image = testing::Read_File(c->dir.File("song.bin"));
    std::string packs;
    for (std::size_t at = Sector_Audio_Bytes; at < image.size(); at += Sector_Bytes)
      packs += image.substr(at, Sector_Bytes - Sector_Audio_Bytes);
    testing::Write_File(c->Cdg(), packs);
  }
  return c;
}

/// ffmpeg's frames after each of the packs, by pack.
std::map<std::int64_t, QImage> Frames(const std::string& cdg, const std::set<std::int64_t>& packs) {
  const std::vector<std::int64_t> wanted(packs.begin(), packs.end());
  std::string error;
  const std::vector<std::string> frames = testing::Ffmpeg_Frames(cdg, wanted, &error);
  EXPECT_EQ(frames.size(), wanted.size()) << "ffmpeg: " << error;
  std::map<std::int64_t, QImage> by_pack;
  for (std::size_t i = 0; i < frames.size(); ++i)
    by_pack[wanted[i]] = QImage(reinterpret_cast<const uchar*>(frames[i].data()), Cdg_Width,
                                Cdg_Height, 3 * Cdg_Width, QImage::Format_RGB888)
                             .copy();
  return by_pack;
}

/// A pixel of a line on screen with its colour before and after the wipe.
struct Expected_Pixel {
  int x, y, unwiped, wiped;
  bool On_Screen() const { return y >= 0 && y < Inner_Height; }
};

/// The line as the model's renderer draws it, in its slot; the style's wipe XORs the body (and
/// the outline where it recolours that too).
std::vector<Expected_Pixel> Line_Pixels(const Created& c, int line) {
  const Creation_Run& run = *c.run;
  const std::string& style = run.Settings.Wiping_Style;
  const int body_xor = style == "Swap text body & outline" ? 3 : 2;
  const int outline_xor = style.find("& outline") != std::string::npos ? body_xor : 0;
  const int slot = run.coloring_table[static_cast<std::size_t>(line)].Slot_Of_Line;
  const int origin = (slot - 1) * Inner_Height / run.Lines_Per_Screen + run.Line_Y_Offset;
  const int picture_origin = Inner_Height;  // room above and below the slot for any font
  Surface picture(Inner_Width + 1, 2 * Inner_Height + 100, qRgb(0, 0, 255));
  const int left = Line_X(c.song, line);
  Render_Outline(c.song, left, picture_origin, picture, line, false, Render_Color{qRgb(0, 0, 0)});
  Render_Body(c.song, left, picture_origin, picture, line, Render_Color{qRgb(255, 255, 255)});
  std::vector<Expected_Pixel> pixels;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x <= Inner_Width; ++x) {
      const QRgb pixel = picture.Pixel(x, y);
      if (pixel == qRgb(0, 0, 255)) continue;
      const bool body = pixel == qRgb(255, 255, 255);
      const int unwiped = body ? c.song.Singers[1].Unwiped_Body : c.song.Singers[1].Unwiped_Outline;
      pixels.push_back(
          {x, origin + y - picture_origin, unwiped, unwiped ^ (body ? body_xor : outline_xor)});
    }
  return pixels;
}

/// How many of a syllable's pixels show their wiped colour in a frame, or -1 when its line has
/// a pixel in neither its colour before nor after the wipe (it is not on screen); the columns of
/// a word's first syllable include its outline on the left.
int Wiped_Count(const Created& c, const QImage& frame, int field) {
  const Field_Rec& rec = c.song.Fields[static_cast<std::size_t>(field)];
  const bool word_start = rec.First_Char == 1 || c.song.RTB_Raw.Text()[rec.First_Char - 2] == ' ';
  const int from = c.song.Char_X[static_cast<std::size_t>(rec.First_Char - 1)] - 2 * word_start;
  const int to = c.song.Char_X[static_cast<std::size_t>(rec.Last_Char)];
  int wiped = 0;
  for (const Expected_Pixel& p :
       Line_Pixels(c, c.song.RTB_Raw.Line_Index(rec.First_Char - 1) + 1)) {
    if (!p.On_Screen()) continue;
    const int shown = c.Index_At(frame, p.x, p.y);
    if (shown != p.unwiped && shown != p.wiped) return -1;
    wiped += p.x >= from && p.x < to && p.wiped != p.unwiped && shown == p.wiped;
  }
  return wiped;
}

/// The last pack before the screen changes again after the line's last wipe: the line then
/// shows its final state (drawn whole, fully wiped).
std::int64_t Line_Final_Pack(const Created& c, const std::string& stream, int line) {
  const auto& wipes = c.run->coloring_table[static_cast<std::size_t>(line)].Wipe_Slots;
  const std::int64_t packs = static_cast<std::int64_t>(stream.size() / 24);
  for (std::int64_t k = *std::max_element(wipes.begin(), wipes.end()) + 1; k < packs; ++k) {
    const int instruction = stream[static_cast<std::size_t>(k * 24 + 1)] & 63;
    if (instruction == Memory_Preset || instruction == Load_Colors_Low) return k - 1;
  }
  return packs - 1;
}

/// Inner pixels painted (not colour 0) outside the mask, if one is given.
int Painted(const Created& c, const QImage& frame, const std::vector<bool>& mask = {}) {
  int painted = 0;
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x)
      painted += (mask.empty() || !mask[static_cast<std::size_t>(y * Inner_Width + x)]) &&
                 c.Index_At(frame, x, y) != 0;
  return painted;
}

class TimedSongs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  }
};

TEST_F(TimedSongs, EverySyllableStartsToChangeColourWithinAFrameOfItsTime) {
  std::vector<Options> rows = {{Slow_Song}, {Slow_Song, "Swap text body & outline", "None"}};
  for (const char* fading : {"Cheap DVD fading", "None"})
    for (const char* wiping : {"Swipe text body only", "Swipe text body & outline",
                               "Swap text body & outline", "Draw no outline"})
      rows.push_back({Evening_Song, wiping, fading});
  for (const Options& o : rows) {
    SCOPED_TRACE(std::string(o.song).substr(0, 12) + " / " + o.wiping + " / " + o.fading);
    auto c = Create(o);
    const auto event = [&](int f) {
      return Event_Time_Packs(c->song.Fields[static_cast<std::size_t>(f)].Events, 1);
    };
    std::set<std::int64_t> packs;
    for (int f = 1; f <= c->song.Field_Count; ++f)
      packs.insert({event(f) - Frame_Packs, event(f) + Frame_Packs});
    const auto frames = Frames(c->Cdg(), packs);
    ASSERT_EQ(frames.size(), packs.size());
    for (int f = 1; f <= c->song.Field_Count; ++f) {
      EXPECT_LE(Wiped_Count(*c, frames.at(event(f) - Frame_Packs), f), 0)
          << "syllable " << f << " changes before its time";
      EXPECT_GT(Wiped_Count(*c, frames.at(event(f) + Frame_Packs), f), 0)
          << "syllable " << f << " has not changed a frame after its time";
    }
  }
}

// Before its screen changes again a line shows exactly its rendering, every pixel in its wiped
// colour: nothing cut off, nothing left unwiped, nothing painted where the line has no ink; our
// preview decoder shows the same frame. The track ends on the cleared screen. A font too large
// for the lines of a screen is named before anything is written.
TEST_F(TimedSongs, EveryLineStandsWholeAndFullyWipedAndTheTrackEndsCleared) {
  for (const Options& o : {Options{.song = Descender_Song,
                          .lines = 8,
                          .size = 20,
                          .cut = "line(s) 1, 2 will be drawn cut"},
                           {.song = Descender_Song, .lines = 3, .size = 36},
                           {.song = Morning_Song, .fading = "None", .bin = true},
                           {.song = Early_Song, .fading = "None"},
                           {.song = Early_Song, .picture = true},
                           {.song = Descender_Song, .fading = "None", .lines = 1, .size = 20},
                           {.song = Descender_Song, .fading = "None", .lines = 2, .size = 36},
                           {.song = Descender_Song, .fading = "None", .lines = 8, .size = 15}}) {
    SCOPED_TRACE(std::string(o.song).substr(0, 12) + " lines " + std::to_string(o.lines) +
                 " size " + std::to_string(o.size));
    auto c = Create(o);
    const auto& messages = c->recorder.messages;
    EXPECT_EQ(messages.size(), o.cut ? 2u : 1u) << "and the closing message";
    EXPECT_TRUE(!o.cut || messages.front().find(o.cut) != std::string::npos) << messages.front();
    if (o.cut || (o.fading != "None" && !o.picture)) continue;
    const std::string stream = testing::Read_File(c->Cdg());
    const std::int64_t last = static_cast<std::int64_t>(c->run->Total_Time * 300) - 1;
    std::map<int, std::int64_t> final_pack;
    std::set<std::int64_t> packs = {last - 300, last};
    for (int line = 1; line <= Line_Count(c->song); ++line)
      if (c->run->coloring_table[static_cast<std::size_t>(line)].count > 0)
        packs.insert(final_pack[line] = Line_Final_Pack(*c, stream, line));
    const auto frames = Frames(c->Cdg(), packs);
    ASSERT_EQ(frames.size(), packs.size());
    const auto screen_of = [&](int line) {
      return c->run->coloring_table[static_cast<std::size_t>(line)].Screen_Of_Line;
    };
    for (const auto& [line, pack] : final_pack) {
      const QImage& frame = frames.at(pack);
      int wrong = 0;
      std::vector<bool> text(Inner_Width * Inner_Height, false);
      for (const auto& [other, unused] : final_pack) {
        if (screen_of(other) != screen_of(line)) continue;
        for (const Expected_Pixel& p : Line_Pixels(*c, other)) {
          wrong += other == line && (!p.On_Screen() || c->Index_At(frame, p.x, p.y) != p.wiped);
          if (p.On_Screen() && p.x < Inner_Width)
            text[static_cast<std::size_t>(p.y * Inner_Width + p.x)] = true;
        }
      }
      EXPECT_EQ(wrong, 0) << "line " << line << " has pixels cut off or not in their wiped colour";
      EXPECT_TRUE(o.picture || Painted(*c, frame, text) == 0)
          << "pixels off the lines' letters are painted beside line " << line;
      EXPECT_TRUE(Decode_Frame(testing::Bytes(stream), pack).convertToFormat(frame.format()) ==
                  frame)
          << "our decoder differs after pack " << pack;
    }
    EXPECT_EQ(Painted(*c, frames.at(last)), 0) << "the track ends with lyrics on screen";
    EXPECT_GT(Painted(*c, frames.at(last - 300)), 0)
        << "a second before the track's end the last screen still stands";
  }
}

// Screen 2 of the morning song is drawn while its first wipes run: until a tile of a line is
// drawn its wipe must not recolour what stands there, so every pixel of the new lines shows the
// cleared background or the line's own colour before or after its wipe.
TEST_F(TimedSongs, ALineDrawnWhileItsWipeRunsShowsNoColourButItsOwn) {
  for (const char* wiping : {"Swipe text body only", "Swap text body & outline"}) {
    SCOPED_TRACE(wiping);
    auto c = Create({.song = Morning_Song, .wiping = wiping, .fading = "None"});
    std::set<std::pair<int, int>> old_ink;  // where screen 1's letters stood
    for (int line : {1, 2})
      for (const Expected_Pixel& p : Line_Pixels(*c, line)) old_ink.insert({p.x, p.y});
    std::set<std::int64_t> packs;
    for (std::int64_t k = 8 * 300; k < 10 * 300; k += Frame_Packs) packs.insert(k);
    int foreign = 0;
    for (const auto& [pack, frame] : Frames(c->Cdg(), packs))
      for (int line : {4, 5})
        for (const Expected_Pixel& p : Line_Pixels(*c, line)) {
          if (!p.On_Screen() || old_ink.contains({p.x, p.y})) continue;
          const int shown = c->Index_At(frame, p.x, p.y);
          foreign += shown != 0 && shown != p.unwiped && shown != p.wiped;
        }
    EXPECT_EQ(foreign, 0) << "pixels of the new lines in a colour that is none of theirs";
  }
}

}  // namespace
}  // namespace lyricanvas
