// End to end: a timed song of three four-line screens in two singers goes through the create
// button, and the file is played by an independent CD+G decoder (the ffmpeg command) at chosen
// packs. The frames must show what a singer expects: each syllable unwiped just before its time
// and wiped just after it, text only in the bands of its slots, a fade and a cleared screen in
// the long pause before the third screen. Our preview decoder must show the same frames.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cdg/cdg_decoder.h"
#include "cdg/creation.h"
#include "cdg/line_drawing.h"
#include "cdg/packs.h"
#include "model/layout.h"
#include "support/ffmpeg.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

constexpr int Lines_On_Screen = 4;
constexpr int Border_X = 6;   ///< inner area's left edge in a decoded frame
constexpr int Border_Y = 12;  ///< inner area's top edge in a decoded frame
/// Packs after a syllable's end by which its last wipe packs have surely been played.
constexpr std::int64_t Wipe_Settle_Packs = 30;

using Rgb = std::array<int, 3>;

// The song -----------------------------------------------------------------------------------

/// Line starts in seconds: screens 1 and 2 follow each other after a second's pause; the third
/// screen comes after a pause of twelve seconds, well over the four-second clearing gap.
constexpr double Line_Starts[] = {5, 8, 11, 14, 17, 20, 23, 26, 40, 43, 46, 49};
/// Syllables leave 0.15 s between them: when the next one follows within 0.1 s the last
/// columns of a syllable are wiped at the next one's start instead (a smoothing of the
/// coloring pass), which would blur "just after its end".
constexpr double Syllable_Step = 0.6;
constexpr double Syllable_Length = 0.45;

const std::vector<std::vector<std::string>>& Line_Syllables() {
  static const std::vector<std::vector<std::string>> lines = {
      {"Morn", "ing ", "light"}, {"ri", "ver ", "song"},   {"danc", "ing ", "slow"},
      {"hap", "py ", "day"},     {"sun", "ny ", "sky"},    {"sing ", "a", "long"},
      {"wan", "der ", "home"},   {"fall", "ing ", "rain"}, {"Even", "ing ", "calm"},
      {"qui", "et ", "night"},   {"dream", "ing ", "on"},  {"good", "bye ", "now"}};
  return lines;
}

std::vector<testing::Song_Line> Song_Lines() {
  std::vector<testing::Song_Line> lines;
  for (std::size_t n = 0; n < Line_Syllables().size(); ++n) {
    testing::Song_Line line;
    line.singer = 1 + static_cast<int>(n % 2);
    double at = Line_Starts[n];
    for (const std::string& text : Line_Syllables()[n]) {
      line.syllables.push_back({text, at, at + Syllable_Length});
      at += Syllable_Step;
    }
    lines.push_back(line);
  }
  return lines;
}

/// A syllable by its line (1-based) and place in the line (1-based).
struct Syllable_Ref {
  int line = 0;
  int syllable = 0;
};

int Field_Of(Syllable_Ref s) {
  int field = 0;
  for (int n = 1; n < s.line; ++n) field += static_cast<int>(Line_Syllables()[n - 1].size());
  return field + s.syllable;
}

int Singer_Of(int line) { return 1 + (line - 1) % 2; }
/// Every screen holds four lines, so a line's slot is its place on its screen.
int Slot_Of(int line) { return (line - 1) % Lines_On_Screen + 1; }

/// Syllables whose wipe is checked: both singers, on all three screens, first and later
/// syllables, one after the line-by-line change and one after the cleared screen.
const std::vector<Syllable_Ref>& Checked_Syllables() {
  static const std::vector<Syllable_Ref> refs = {{1, 1}, {1, 2}, {2, 3}, {6, 2},
                                                 {7, 1}, {8, 3}, {9, 1}, {12, 2}};
  return refs;
}

// Frames ---------------------------------------------------------------------------------------

/// Colour of inner pixel (x, y) of an rgb24 frame of the whole display.
Rgb Inner_Pixel(const std::string& frame, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y + Border_Y) * Cdg_Width +
                          static_cast<std::size_t>(x + Border_X)) *
                         3;
  return {static_cast<std::uint8_t>(frame[at]), static_cast<std::uint8_t>(frame[at + 1]),
          static_cast<std::uint8_t>(frame[at + 2])};
}

/// A rectangle of the inner area, inclusive.
struct Region {
  int x0, x1, y0, y1;
};

int Count_Color(const std::string& frame, const Region& r, const Rgb& color) {
  int count = 0;
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x) count += Inner_Pixel(frame, x, y) == color;
  return count;
}

// The scenario, built and decoded once for all tests -------------------------------------------

struct Scenario {
  Song song;
  std::vector<std::uint8_t> bytes;
  std::map<std::int64_t, std::string> frames;  ///< ffmpeg's frame after each picked pack
  std::string failure;                         ///< why the scenario could not be built

  // Picked packs.
  std::int64_t screen1_full = 0;  ///< just before the first wipe: all of screen 1 unwiped
  std::int64_t screen3_full = 0;  ///< just before the third screen's first wipe
  std::int64_t changing = 0;      ///< just before line 4's wipe: screen 2 half written
  std::int64_t pause_wiped = 0;   ///< one second into the long pause, before the fade
  std::int64_t clear_preset = 0;  ///< the first memory preset of the long pause
  std::int64_t faded = 0;         ///< the last pack before that preset
  std::int64_t cleared = 0;       ///< the colour table reloaded after the clear

  /// Rows in which the text of slot k (1..4) may stand.
  std::array<std::pair<int, int>, Lines_On_Screen + 1> bands{};

  Rgb Color(int palette_index) const {
    const auto& entry = song.Palette[static_cast<std::size_t>(palette_index)];
    return {entry[1] * 17, entry[2] * 17, entry[3] * 17};
  }
  std::int64_t Start_Pack(Syllable_Ref s) const {
    return Event_Time_Packs(song.Fields[static_cast<std::size_t>(Field_Of(s))].Events, 1);
  }
  std::int64_t End_Pack(Syllable_Ref s) const {
    return Event_Time_Packs(song.Fields[static_cast<std::size_t>(Field_Of(s))].Events, 2);
  }
  std::int64_t Before(Syllable_Ref s) const { return Start_Pack(s) - 2; }
  std::int64_t After(Syllable_Ref s) const { return End_Pack(s) + Wipe_Settle_Packs; }
  const std::string& Frame(std::int64_t pack) const { return frames.at(pack); }

  /// The instruction of pack k.
  int Instruction_At(std::int64_t k) const {
    return bytes[static_cast<std::size_t>(k) * Cdg_Pack_Bytes + 1] & 63;
  }
  std::int64_t Pack_Count() const { return Cdg_Pack_Count(bytes); }
  /// The first pack at or after `from` with the instruction; -1 if none.
  std::int64_t Find_Instruction(std::int64_t from, int instruction) const {
    for (std::int64_t k = std::max<std::int64_t>(from, 0); k < Pack_Count(); ++k)
      if ((bytes[static_cast<std::size_t>(k) * Cdg_Pack_Bytes] & 63) == 9 &&
          Instruction_At(k) == instruction)
        return k;
    return -1;
  }
};

void Create(Scenario& sc, const testing::Temp_Dir& dir) {
  testing::Build_Song(sc.song, Song_Lines());
  Controls& c = sc.song.Window_Controls;
  c.Set_Text("txt_Filename", 2, dir.File("song.cdg"));
  c.Set_Text("Txt_TotalTime", "0:58");
  c.Set_Text("txt_lines_on_screen", std::to_string(Lines_On_Screen));
  testing::Recording_Ui recorder;
  if (!But_CDG_Create_Click(sc.song, recorder.ui())) {
    sc.failure = "the create button wrote nothing: " +
                 (recorder.messages.empty() ? std::string() : recorder.messages.back());
    return;
  }
  const std::string file = testing::Read_File(dir.File("song.cdg"));
  sc.bytes.assign(file.begin(), file.end());
}

/// Finds the packs of the long pause in the stream: the preset that clears the screen and the
/// colour table that follows it.
void Find_Pause_Packs(Scenario& sc) {
  const std::int64_t pause_start = sc.End_Pack({8, 3});
  sc.pause_wiped = pause_start + Packs_Per_Second;
  sc.clear_preset = sc.Find_Instruction(pause_start, Memory_Preset);
  sc.faded = sc.clear_preset - 1;
  sc.cleared = sc.Find_Instruction(sc.clear_preset, Load_Colors_High);
  if (sc.clear_preset < 0 || sc.cleared < 0) sc.failure = "no clearing in the long pause";
}

/// Rows in which the text of each slot may stand: the print origin of a line in its slot, the
/// font's height and the outline's two pixels around the letters.
void Find_Text_Bands(Scenario& sc) {
  auto run = std::make_unique<Creation_Run>();
  run->Lines_Per_Screen = Lines_On_Screen;
  Measure_Line_Y_Offset(*run, sc.song);
  const int height = QFontMetrics(Make_QFont(sc.song.Text_Styles[1].Font)).height();
  for (int k = 1; k <= Lines_On_Screen; ++k) {
    const int top = Slot_Top(k, Lines_On_Screen) + run->Line_Y_Offset;
    sc.bands[static_cast<std::size_t>(k)] = {std::max(top - 2, 0),
                                             std::min(top + height + 1, Inner_Height - 1)};
  }
}

std::unique_ptr<Scenario> Build_Scenario() {
  auto sc = std::make_unique<Scenario>();
  testing::Temp_Dir dir;
  Create(*sc, dir);
  if (!sc->failure.empty()) return sc;
  sc->screen1_full = sc->Before({1, 1});
  sc->screen3_full = sc->Before({9, 1});
  sc->changing = sc->Before({4, 1});
  Find_Text_Bands(*sc);
  Find_Pause_Packs(*sc);
  if (!sc->failure.empty()) return sc;

  std::set<std::int64_t> picks{sc->screen1_full, sc->screen3_full, sc->changing,
                               sc->pause_wiped,  sc->faded,        sc->cleared};
  for (Syllable_Ref s : Checked_Syllables()) picks.insert({sc->Before(s), sc->After(s)});
  const std::vector<std::int64_t> packs(picks.begin(), picks.end());
  const std::string path = dir.File("song.cdg");
  std::string error;
  std::vector<std::string> frames = testing::Ffmpeg_Frames(path, packs, &error);
  if (frames.size() != packs.size()) {
    sc->failure = "ffmpeg gave " + std::to_string(frames.size()) + " of " +
                  std::to_string(packs.size()) + " frames: " + error;
    return sc;
  }
  for (std::size_t i = 0; i < packs.size(); ++i) sc->frames[packs[i]] = std::move(frames[i]);
  return sc;
}

class EndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (testing::Have_Ffmpeg()) scenario_ = Build_Scenario();
  }
  static void TearDownTestSuite() { scenario_.reset(); }
  void SetUp() override {
    if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    ASSERT_TRUE(scenario_->failure.empty()) << scenario_->failure;
  }
  static const Scenario& Sc() { return *scenario_; }

  /// Rows of slot k.
  static Region Slot_Region(int k) {
    return {0, Inner_Width - 1, Slot_Top(k, Lines_On_Screen), Slot_Top(k + 1, Lines_On_Screen) - 1};
  }

  /// The columns of a syllable's letters, one pixel in from each side so that a neighbour's
  /// overhanging glyph does not count, over the rows of its line's slot.
  static Region Syllable_Region(Syllable_Ref s) {
    const Song& song = Sc().song;
    const Field_Rec& field = song.Fields[static_cast<std::size_t>(Field_Of(s))];
    const int first = field.First_Char - 1;
    const int last = field.Last_Char - 1;
    const Font_Rec& font =
        song.Text_Styles[static_cast<std::size_t>(song.Char_Style[static_cast<std::size_t>(last)])]
            .Font;
    const int right = song.Char_X[static_cast<std::size_t>(last)] +
                      Layout_Advance(font, song.RTB_Raw.Text()[last]);
    Region r = Slot_Region(Slot_Of(s.line));
    r.x0 = song.Char_X[static_cast<std::size_t>(first)] + 1;
    r.x1 = right - 2;
    return r;
  }

  static std::pair<int, int> Text_Band(int k) { return Sc().bands[static_cast<std::size_t>(k)]; }

  static bool Is_Text_Row(int y) {
    for (int k = 1; k <= Lines_On_Screen; ++k) {
      auto [from, to] = Text_Band(k);
      if (y >= from && y <= to) return true;
    }
    return false;
  }

  static inline std::unique_ptr<Scenario> scenario_;
};

TEST_F(EndToEnd, EachSyllableIsUnwipedJustBeforeItsTimeAndWipedJustAfter) {
  for (Syllable_Ref s : Checked_Syllables()) {
    SCOPED_TRACE("line " + std::to_string(s.line) + " syllable " + std::to_string(s.syllable));
    const Singer_Rec& singer = Sc().song.Singers[static_cast<std::size_t>(Singer_Of(s.line))];
    const Rgb body = Sc().Color(singer.Unwiped_Body);
    const Rgb wiped = Sc().Color(singer.Wiped_Body);
    const Rgb outline = Sc().Color(singer.Unwiped_Outline);
    const Region r = Syllable_Region(s);
    ASSERT_GT(r.x1, r.x0 + 4) << "the syllable's letters have columns on the line";
    const std::string& before = Sc().Frame(Sc().Before(s));
    const std::string& after = Sc().Frame(Sc().After(s));
    EXPECT_GT(Count_Color(before, r, body), 20) << "its letters are shown unwiped";
    EXPECT_EQ(Count_Color(before, r, wiped), 0) << "nothing of it is wiped before its time";
    EXPECT_EQ(Count_Color(after, r, body), 0) << "every column of it is wiped after its time";
    EXPECT_EQ(Count_Color(after, r, wiped), Count_Color(before, r, body))
        << "each body pixel took the wiped colour";
    EXPECT_EQ(Count_Color(after, r, outline), Count_Color(before, r, outline))
        << "the body-only wipe leaves the outline as it was";
  }
}

TEST_F(EndToEnd, TextStandsInTheBandsOfItsSlotsAndNowhereElse) {
  const Rgb background = Sc().Color(0);
  for (std::int64_t pack : {Sc().screen1_full, Sc().screen3_full}) {
    SCOPED_TRACE("after pack " + std::to_string(pack));
    const std::string& frame = Sc().Frame(pack);
    for (int k = 1; k <= Lines_On_Screen; ++k) {
      auto [from, to] = Text_Band(k);
      const Region band{0, Inner_Width - 1, from, to};
      const int area = (to - from + 1) * Inner_Width;
      EXPECT_LT(Count_Color(frame, band, background), area * 9 / 10)
          << "slot " << k << " shows its line";
    }
  }
  // Whatever the moment, rows outside the bands stay background, slot boundaries included.
  for (const auto& [pack, frame] : Sc().frames) {
    for (int y = 0; y < Inner_Height; ++y) {
      if (Is_Text_Row(y)) continue;
      const Region row{0, Inner_Width - 1, y, y};
      EXPECT_EQ(Count_Color(frame, row, background), Inner_Width)
          << "row " << y << " after pack " << pack;
    }
  }
  for (int k = 2; k <= Lines_On_Screen; ++k)
    EXPECT_FALSE(Is_Text_Row(Slot_Top(k, Lines_On_Screen))) << "bands of slots do not touch";
}

// A pause of a second between screens of four lines changes them line by line: once the old
// line below a slot has been wiped, the slot is erased, and the new line is written there four
// seconds before its own wipe, while the old lines further down are still being sung.
TEST_F(EndToEnd, AShortPauseReplacesTheLinesOneByOne) {
  struct Expected {
    int slot, line;
    bool wiped;
  };
  const std::string& frame = Sc().Frame(Sc().changing);
  for (Expected e : {Expected{1, 5, false}, {2, 6, false}, {3, 3, true}, {4, 4, false}}) {
    SCOPED_TRACE("slot " + std::to_string(e.slot) + " line " + std::to_string(e.line));
    const Singer_Rec& singer = Sc().song.Singers[static_cast<std::size_t>(Singer_Of(e.line))];
    const Region slot = Slot_Region(e.slot);
    const int body = Count_Color(frame, slot, Sc().Color(singer.Unwiped_Body));
    const int wiped = Count_Color(frame, slot, Sc().Color(singer.Wiped_Body));
    EXPECT_GT(e.wiped ? wiped : body, 100);
    EXPECT_EQ(e.wiped ? body : wiped, 0);
  }
}

TEST_F(EndToEnd, ALongPauseShowsTheWipedScreenThenFadesAndClearsIt) {
  const Rgb background = Sc().Color(0);
  const Region inner{0, Inner_Width - 1, 0, Inner_Height - 1};
  const int everything = Inner_Width * Inner_Height;
  ASSERT_LT(Sc().pause_wiped, Sc().faded);
  // Screen 2 stays up, fully wiped, until the fade.
  const std::string& wiped = Sc().Frame(Sc().pause_wiped);
  for (int line = 5; line <= 8; ++line) {
    SCOPED_TRACE("line " + std::to_string(line));
    const Singer_Rec& singer = Sc().song.Singers[static_cast<std::size_t>(Singer_Of(line))];
    const Region slot = Slot_Region(Slot_Of(line));
    EXPECT_GT(Count_Color(wiped, slot, Sc().Color(singer.Wiped_Body)), 100);
    EXPECT_EQ(Count_Color(wiped, slot, Sc().Color(singer.Unwiped_Body)), 0);
  }
  // The fade has turned every colour into the background before the screen is cleared ...
  EXPECT_EQ(Count_Color(Sc().Frame(Sc().faded), inner, background), everything);
  // ... and once the full palette is back, the screen holds nothing but background.
  ASSERT_GT(Sc().cleared, Sc().clear_preset);
  EXPECT_EQ(Count_Color(Sc().Frame(Sc().cleared), inner, background), everything);
  for (int i = 1; i < 16; ++i)
    EXPECT_NE(Sc().Color(i), background)
        << "the cleared frame tells palette entry " << i << " apart";
  // The clearing lies in the pause and leaves the next screen its time to be read.
  EXPECT_GT(Sc().faded, Sc().pause_wiped);
  // (Presets and colour tables take some fifty packs after the clearing point.)
  EXPECT_LE(Sc().cleared, Sc().Start_Pack({9, 1}) - 4 * Packs_Per_Second + 100);
}

TEST_F(EndToEnd, OurDecoderShowsEveryFrameAsFfmpegDoes) {
  for (const auto& [pack, theirs] : Sc().frames) {
    const QImage ours = Decode_Frame(Sc().bytes, pack);
    int differing = 0;
    for (int y = 0; y < Cdg_Height; ++y)
      for (int x = 0; x < Cdg_Width; ++x) {
        const QRgb mine = ours.pixel(x, y);
        const Rgb theirs_rgb = Inner_Pixel(theirs, x - Border_X, y - Border_Y);
        differing += Rgb{qRed(mine), qGreen(mine), qBlue(mine)} != theirs_rgb;
      }
    EXPECT_EQ(differing, 0) << "after pack " << pack;
  }
}

}  // namespace
}  // namespace lyricanvas
