// Timed songs as a singer times them, created by the whole engine and played by an independent
// CD+G decoder (the ffmpeg command): every syllable starts to change colour within one video
// frame of its time, in every wiping style and fading; no timed syllable is lost, however early;
// every line is drawn whole and left fully wiped; a .bin ends on a cleared screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "cdg/creation.h"
#include "cdg/cdg_decoder.h"
#include "cdg/coloring.h"
#include "cdg/line_drawing.h"
#include "cdg/output_files.h"
#include "cdg/packs.h"
#include "model/layout.h"
#include "model/line_render.h"
#include "support/ffmpeg.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

constexpr int Border_X = 6;  ///< inner area's corner in a decoded frame
constexpr int Border_Y = 12;
/// One video frame: how far a syllable's first change may lie from its time.
constexpr std::int64_t Frame_Packs = 12;

// The songs ------------------------------------------------------------------------------------

/// "Eve@4.30 ~ning@4.70 falls@5.10": a syllable and its time; "~" joins it to the word before.
/// Each syllable lasts until the next one's time (the last one half a second); a blank line
/// starts a new screen.
const char* const Evening_Song =
    "Eve@4.30 ~ning@4.70 falls@5.10 a@5.60 ~round@6.00\n"
    "Stars@6.90 are@7.30 out@7.70 a@8.20 ~gain@8.60\n";
const char* const Morning_Song =
    "Mor@3.00 ~ning@3.40 on@3.70 the@4.20 bay@4.80\n"
    "Gulls@5.70 are@6.15 cir@6.50 ~cling@7.05 home@7.45\n"
    "\n"
    "Tell@7.95 me@8.45 the@8.95 tale@9.45 now@10.00\n"
    "Sing@11.10 it@11.60 soft@12.00 ~ly,@12.40 dear@12.70\n";
/// A slow song: a short word held long, and a pause of 35 s inside a line.
const char* const Slow_Song =
    "I@3.00 know@3.30 I@4.00 wait@6.00 for@41.00 you@42.00\n";
/// Sung from the first third of a second on.
const char* const Early_Song =
    "Up@0.30 and@0.60 a@0.90 ~way@1.20 we@1.50 go@1.80\n"
    "Out@2.40 in@2.70 the@3.00 day@3.30\n";
/// Descenders on every line, for the tall and crowded layouts.
const char* const Descender_Song =
    "Sing@2.00 joy@2.50 gaily@3.00\n"
    "Hug@3.60 the@4.00 yard@4.40 pig@4.80\n"
    "Gap@5.40 jig@5.80 quay@6.20\n";

std::vector<testing::Song_Line> Parse_Song(const std::string& text) {
  std::vector<testing::Song_Line> lines;
  std::vector<testing::Syllable*> order;
  std::istringstream in(text);
  for (std::string row; std::getline(in, row);) {
    lines.emplace_back();
    std::istringstream words(row);
    for (std::string token; words >> token;) {
      const bool joined = token[0] == '~';
      const std::size_t at = token.find('@');
      auto& syllables = lines.back().syllables;
      if (!joined && !syllables.empty()) syllables.back().text += ' ';
      // Whole packs, so that the builder's conversion cannot lose one.
      const double time = std::nearbyint(std::stod(token.substr(at + 1)) * 300) / 300 + 1e-9;
      syllables.push_back({token.substr(joined ? 1 : 0, at - (joined ? 1 : 0)), time, 0});
    }
  }
  for (auto& line : lines)
    for (auto& syllable : line.syllables) order.push_back(&syllable);
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i]->end = i + 1 < order.size() ? order[i + 1]->start : order[i]->start + 0.5;
  return lines;
}

// Creating and decoding ----------------------------------------------------------------------

struct Options {
  std::string wiping = "Swipe text body only";
  std::string fading = "Cheap DVD fading";
  int lines = 4;
  double size = 18;
  std::string total = "0:15";
};

/// Sixteen colours that a decoded frame tells apart.
Palette_Table Distinct_Palette() {
  Palette_Table p{};
  for (int i = 0; i < 16; ++i) p[static_cast<std::size_t>(i)] = {0, i, 15 - i, (i * 7) % 16};
  return p;
}

struct Created {
  Song song;
  std::unique_ptr<Creation_Run> run = std::make_unique<Creation_Run>();
  testing::Temp_Dir dir;
  testing::Recording_Ui recorder;
  std::string failure;

  std::string Cdg() const { return dir.File("song.cdg"); }

  /// Palette index shown at inner pixel (x, y) of a frame; -1 for a colour of no entry.
  int Index_At(const std::string& frame, int x, int y) const {
    const std::size_t at =
        (static_cast<std::size_t>(y + Border_Y) * testing::Ffmpeg_Frame_Width + x + Border_X) * 3;
    for (int i = 0; i < 16; ++i) {
      const QRgb c = song.Palette_RGB[static_cast<std::size_t>(i)];
      if (static_cast<std::uint8_t>(frame[at]) == qRed(c) &&
          static_cast<std::uint8_t>(frame[at + 1]) == qGreen(c) &&
          static_cast<std::uint8_t>(frame[at + 2]) == qBlue(c))
        return i;
    }
    return -1;
  }
};

std::unique_ptr<Created> Create(const char* text, const Options& o, const std::string& output) {
  auto c = std::make_unique<Created>();
  testing::Build_Song(c->song, Parse_Song(text));
  c->song.RTB_Raw.Set_Font_Size(0, c->song.RTB_Raw.Length(), o.size);
  c->song.Palette = Distinct_Palette();
  Update_Palette_RGB(c->song);
  Controls& controls = c->song.Window_Controls;
  controls.Set_Text("txt_Filename", 2, c->dir.File(output));
  controls.Set_Text("Txt_TotalTime", o.total);
  controls.Set_Text("txt_lines_on_screen", std::to_string(o.lines));
  controls.Set_Text("Com_WipingStyle", o.wiping);
  controls.Set_Text("Com_FadingStyle", o.fading);
  c->run->ui = c->recorder.ui();
  Read_Creation_Settings(*c->run, c->song);
  build_coloring_table(*c->run, c->song);
  if (!Create_CDG(*c->run, c->song))
    c->failure = "nothing written: " + c->recorder.messages.back();
  return c;
}

/// ffmpeg's frames after each of the packs, by pack.
std::map<std::int64_t, std::string> Frames(const std::string& cdg, std::set<std::int64_t> packs,
                                           std::string& failure) {
  const std::vector<std::int64_t> wanted(packs.begin(), packs.end());
  std::string error;
  std::vector<std::string> frames = testing::Ffmpeg_Frames(cdg, wanted, &error);
  std::map<std::int64_t, std::string> by_pack;
  if (frames.size() != wanted.size()) failure = "ffmpeg: " + error;
  for (std::size_t i = 0; i < frames.size(); ++i) by_pack[wanted[i]] = std::move(frames[i]);
  return by_pack;
}

// What a line should show ----------------------------------------------------------------------

/// A pixel of a line on screen with its colour before and after the wipe.
struct Expected_Pixel {
  int x, y, unwiped, wiped;
};

/// The line rendered by the model's renderer, outline black and body white, its print origin at
/// row `origin` of a picture tall enough for any font.
Surface Rendered_Line(const Song& song, int line, int origin) {
  Surface picture(Inner_Width + 1, 2 * Inner_Height + 100, qRgb(0, 0, 255));
  Render_Outline(song, Line_X(song, line), origin, picture, line, false, Render_Color{qRgb(0, 0, 0)});
  Render_Body(song, Line_X(song, line), origin, picture, line, Render_Color{qRgb(255, 255, 255)});
  return picture;
}

std::vector<Expected_Pixel> Line_Pixels(const Created& c, int line) {
  const Creation_Run& run = *c.run;
  const coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
  const Singer_Rec& singer = c.song.Singers[1];
  const int xor_value = Wipe_Xor_Value(run.Settings.Wiping_Style);
  const bool outline_wiped = run.Settings.Wiping_Style == "Swap text body & outline" ||
                             run.Settings.Wiping_Style == "Swipe text body & outline";
  const int origin = Slot_Top(rec.Slot_Of_Line, run.Lines_Per_Screen) + run.Line_Y_Offset;
  const int picture_origin = Inner_Height;  // room above and below the slot for any font
  const Surface picture = Rendered_Line(c.song, line, picture_origin);
  std::vector<Expected_Pixel> pixels;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x <= Inner_Width; ++x) {
      const QRgb pixel = picture.Pixel(x, y);
      if (pixel == qRgb(0, 0, 255)) continue;
      const bool body = pixel == qRgb(255, 255, 255);
      const int unwiped = body ? singer.Unwiped_Body : singer.Unwiped_Outline;
      const bool wiped = body || outline_wiped;
      pixels.push_back(
          {x, origin + y - picture_origin, unwiped, wiped ? unwiped ^ xor_value : unwiped});
    }
  return pixels;
}

/// Columns of a field's letters; a word's first syllable includes its outline on the left.
std::pair<int, int> Field_Columns(const Song& song, const Field_Rec& field) {
  const QString text = song.RTB_Raw.Text();
  const bool word_start = field.First_Char == 1 || text[field.First_Char - 2].isSpace();
  return {song.Char_X[static_cast<std::size_t>(field.First_Char - 1)] - (word_start ? 2 : 0),
          song.Char_X[static_cast<std::size_t>(field.Last_Char)]};
}

int Line_Of_Field(const Song& song, const Field_Rec& field) {
  for (int line = 1; line <= Line_Count(song); ++line)
    if (field.First_Char - 1 < song.Line_Start[static_cast<std::size_t>(line)] ||
        song.Line_Start[static_cast<std::size_t>(line)] < 0)
      return line;
  return 0;
}

/// Whether every pixel of the line shows its colour before or after the wipe.
bool Line_Stands(const Created& c, const std::string& frame, int line) {
  for (const Expected_Pixel& p : Line_Pixels(c, line)) {
    if (p.y < 0 || p.y >= Inner_Height) continue;
    const int shown = c.Index_At(frame, p.x, p.y);
    if (shown != p.unwiped && shown != p.wiped) return false;
  }
  return true;
}

/// How many of a syllable's pixels show their wiped colour in a frame.
int Wiped_Count(const Created& c, const std::string& frame, int field) {
  const Field_Rec& rec = c.song.Fields[static_cast<std::size_t>(field)];
  const auto [from, to] = Field_Columns(c.song, rec);
  int wiped = 0;
  for (const Expected_Pixel& p : Line_Pixels(c, Line_Of_Field(c.song, rec)))
    if (p.x >= from && p.x < to && p.wiped != p.unwiped && p.y >= 0 && p.y < Inner_Height)
      wiped += c.Index_At(frame, p.x, p.y) == p.wiped;
  return wiped;
}

std::int64_t First_Event(const Song& song, int field) {
  return Event_Time_Packs(song.Fields[static_cast<std::size_t>(field)].Events, 1);
}

/// The last pack before the screen changes again after the line's last wipe: the line then
/// shows its final state (drawn whole, fully wiped). Needs fading "None", whose switch comes
/// with the change.
std::int64_t Line_Final_Pack(const Created& c, const std::string& stream, int line) {
  const auto& wipes = c.run->coloring_table[static_cast<std::size_t>(line)].Wipe_Slots;
  const std::int64_t packs = static_cast<std::int64_t>(stream.size() / 24);
  for (std::int64_t k = *std::max_element(wipes.begin(), wipes.end()) + 1; k < packs; ++k) {
    const int instruction = stream[static_cast<std::size_t>(k * 24 + 1)] & 63;
    if (instruction == Memory_Preset || instruction == Load_Colors_Low) return k - 1;
  }
  return packs - 1;
}

class TimedSongs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  }
};

// The checks -----------------------------------------------------------------------------------

struct Timing_Case {
  const char* song;
  Options options;
};

TEST_F(TimedSongs, EverySyllableStartsToChangeColourWithinAFrameOfItsTime) {
  const std::vector<Timing_Case> cases = {
      {Evening_Song, {}},
      {Evening_Song, {"Swipe text body & outline"}},
      {Evening_Song, {"Swap text body & outline"}},
      {Evening_Song, {"Draw no outline"}},
      {Evening_Song, {"Swipe text body only", "None"}},
      {Evening_Song, {"Swap text body & outline", "None"}},
      {Slow_Song, {"Swipe text body only", "Cheap DVD fading", 4, 18, "0:50"}},
      {Slow_Song, {"Swap text body & outline", "None", 4, 18, "0:50"}},
  };
  for (const Timing_Case& tc : cases) {
    SCOPED_TRACE(std::string(tc.song).substr(0, 12) + " / " + tc.options.wiping + " / " +
                 tc.options.fading);
    auto c = Create(tc.song, tc.options, "song.cdg");
    ASSERT_EQ(c->failure, "");
    std::set<std::int64_t> packs;
    for (int f = 1; f <= c->song.Field_Count; ++f)
      packs.insert({First_Event(c->song, f) - Frame_Packs, First_Event(c->song, f) + Frame_Packs});
    std::string failure;
    const auto frames = Frames(c->Cdg(), packs, failure);
    ASSERT_EQ(failure, "");
    for (int f = 1; f <= c->song.Field_Count; ++f) {
      const std::int64_t at = First_Event(c->song, f);
      const Field_Rec& field = c->song.Fields[static_cast<std::size_t>(f)];
      if (Line_Stands(*c, frames.at(at - Frame_Packs), Line_Of_Field(c->song, field))) {
        EXPECT_EQ(Wiped_Count(*c, frames.at(at - Frame_Packs), f), 0)
            << "syllable " << f << " changes before its time";
      }
      EXPECT_GT(Wiped_Count(*c, frames.at(at + Frame_Packs), f), 0)
          << "syllable " << f << " has not changed a frame after its time";
    }
  }
}

struct Layout_Case {
  const char* song;
  int lines;
  double size;
};

// Before its screen changes again a line shows exactly its rendering, every pixel in its wiped
// colour: nothing cut off, nothing left unwiped, nothing painted where the line has no ink.
TEST_F(TimedSongs, EveryLineStandsWholeAndFullyWipedBeforeItsScreenChanges) {
  for (const Layout_Case& lc : {Layout_Case{Morning_Song, 4, 18}, {Early_Song, 4, 18},
                                {Descender_Song, 1, 20}, {Descender_Song, 2, 36},
                                {Descender_Song, 8, 15}}) {
    SCOPED_TRACE(std::string(lc.song).substr(0, 12) + " lines " + std::to_string(lc.lines) +
                 " size " + std::to_string(lc.size));
    Options options;
    options.fading = "None";
    options.lines = lc.lines;
    options.size = lc.size;
    auto c = Create(lc.song, options, "song.cdg");
    ASSERT_EQ(c->failure, "");
    EXPECT_EQ(c->recorder.messages.size(), 1u) << "only the closing message";
    const std::string stream = testing::Read_File(c->Cdg());
    std::map<int, std::int64_t> final_pack;
    for (int line = 1; line <= Line_Count(c->song); ++line)
      if (c->run->coloring_table[static_cast<std::size_t>(line)].count > 0)
        final_pack[line] = Line_Final_Pack(*c, stream, line);
    std::set<std::int64_t> packs;
    for (const auto& [line, pack] : final_pack) packs.insert(pack);
    std::string failure;
    const auto frames = Frames(c->Cdg(), packs, failure);
    ASSERT_EQ(failure, "");
    for (const auto& [line, pack] : final_pack) {
      int wrong = 0, outside = 0;
      std::vector<bool> text(Inner_Width * Inner_Height, false);
      for (const Expected_Pixel& p : Line_Pixels(*c, line)) {
        if (p.y < 0 || p.y >= Inner_Height) {
          ++outside;
          continue;
        }
        wrong += c->Index_At(frames.at(pack), p.x, p.y) != p.wiped;
        if (p.x < Inner_Width) text[static_cast<std::size_t>(p.y * Inner_Width + p.x)] = true;
      }
      EXPECT_EQ(wrong, 0) << "line " << line << " has pixels not in their wiped colour";
      EXPECT_EQ(outside, 0) << "line " << line << " reaches beyond the screen";
      // The other lines of its screen stand where they belong, and nothing stands elsewhere.
      const int screen = c->run->coloring_table[static_cast<std::size_t>(line)].Screen_Of_Line;
      for (const auto& [other, unused] : final_pack)
        if (c->run->coloring_table[static_cast<std::size_t>(other)].Screen_Of_Line == screen)
          for (const Expected_Pixel& p : Line_Pixels(*c, other))
            if (p.y >= 0 && p.y < Inner_Height && p.x < Inner_Width)
              text[static_cast<std::size_t>(p.y * Inner_Width + p.x)] = true;
      int stray = 0;
      for (int y = 0; y < Inner_Height; ++y)
        for (int x = 0; x < Inner_Width; ++x)
          stray += !text[static_cast<std::size_t>(y * Inner_Width + x)] &&
                   c->Index_At(frames.at(pack), x, y) != 0;
      EXPECT_EQ(stray, 0) << "pixels off the lines' letters are painted beside line " << line;
      // The preview decoder shows the same frame.
      const std::string& theirs = frames.at(pack);
      const QImage ours = Decode_Frame(std::span(reinterpret_cast<const std::uint8_t*>(stream.data()),
                                                 stream.size()),
                                       pack);
      int differing = 0;
      for (int y = 0; y < Cdg_Height; ++y)
        for (int x = 0; x < Cdg_Width; ++x) {
          const QRgb mine = ours.pixel(x, y);
          const std::size_t at = (static_cast<std::size_t>(y) * Cdg_Width + x) * 3;
          differing += qRed(mine) != static_cast<std::uint8_t>(theirs[at]) ||
                       qGreen(mine) != static_cast<std::uint8_t>(theirs[at + 1]) ||
                       qBlue(mine) != static_cast<std::uint8_t>(theirs[at + 2]);
        }
      EXPECT_EQ(differing, 0) << "our decoder differs after pack " << pack;
    }
  }
}

// A font too large for the lines of a screen is named before anything is written.
TEST(TooLargeFonts, TheLinesThatWillBeCutAreNamed) {
  struct Case {
    int lines;
    double size;
    const char* message;
  };
  for (const Case& tc : {Case{8, 20, "line(s) 1, 2 will be drawn cut"}, Case{8, 15, nullptr},
                         Case{3, 36, nullptr}, Case{2, 36, nullptr}}) {
    Options options;
    options.lines = tc.lines;
    options.size = tc.size;
    auto c = Create(Descender_Song, options, "song.cdg");
    const auto& messages = c->recorder.messages;
    const bool told = std::any_of(messages.begin(), messages.end(), [&](const std::string& m) {
      return tc.message && m.find(tc.message) != std::string::npos;
    });
    EXPECT_EQ(told, tc.message != nullptr) << tc.lines << " lines, size " << tc.size << ": " << messages.front();
    EXPECT_EQ(messages.size(), tc.message ? 2u : 1u) << "and the closing message";
  }
}

// A .bin ends with its audio: its last frame shows the cleared screen.
TEST_F(TimedSongs, ABinWithoutFadingEndsOnTheClearedScreen) {
  testing::Temp_Dir wav_dir;
  const std::string wav = wav_dir.File("song.wav");
  const std::uint32_t data = 15 * 176400;  // fifteen seconds of silence
  std::string header;
  const auto le = [&header](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) header += static_cast<char>(v >> (8 * i));
  };
  header += "RIFF", le(36 + data, 4), header += "WAVEfmt ";
  le(16, 4), le(1, 2), le(2, 2), le(44100, 4), le(176400, 4), le(4, 2), le(16, 2);
  header += "data", le(data, 4);
  testing::Write_File(wav, header + std::string(data, '\0'));
  auto c = std::make_unique<Created>();
  testing::Build_Song(c->song, Parse_Song(Morning_Song));
  c->song.Palette = Distinct_Palette();
  Update_Palette_RGB(c->song);
  Controls& controls = c->song.Window_Controls;
  controls.Set_Text("txt_Filename", 1, wav);
  controls.Set_Text("txt_Filename", 2, c->dir.File("song.bin"));
  controls.Set_Text("Com_FadingStyle", "None");
  testing::Recording_Ui recorder;
  ASSERT_TRUE(But_CDG_Create_Click(c->song, recorder.ui()));
  // The packs of the image as a .cdg of the same length.
  const std::string image = testing::Read_File(c->dir.File("song.bin"));
  std::string packs;
  for (std::size_t at = Sector_Audio_Bytes; at < image.size(); at += Sector_Bytes)
    packs += image.substr(at, Sector_Bytes - Sector_Audio_Bytes);
  testing::Write_File(c->Cdg(), packs);
  const std::int64_t last = static_cast<std::int64_t>(packs.size() / 24) - 1;
  std::string failure;
  const auto frames = Frames(c->Cdg(), {last - 300, last}, failure);
  ASSERT_EQ(failure, "");
  int text_before = 0, text_after = 0;
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x) {
      text_before += c->Index_At(frames.at(last - 300), x, y) != 0;
      text_after += c->Index_At(frames.at(last), x, y) != 0;
    }
  EXPECT_EQ(text_after, 0) << "the last frame still shows lyrics";
  EXPECT_GT(text_before, 0) << "a second before the end the last screen still stands";
}

}  // namespace
}  // namespace lyricanvas
