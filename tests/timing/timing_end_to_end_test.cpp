// End to end without a display: lyrics are broken into syllables with Tab mode, "played" on a
// clock that reads a script of Space presses and releases, created as a .cdg file and played
// by an independent decoder (the ffmpeg command). Every syllable must be unwiped before its
// lead-in starts, show wiped columns within 0.1 s of its press and be wiped whole after its
// release.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "cdg/creation.h"
#include "cdg/line_drawing.h"
#include "support/ffmpeg.h"
#include "timing/key_log.h"
#include "timing_fixture.h"

namespace lyricanvas {
namespace {

constexpr int Lines_On_Screen = 4;
constexpr int Border_X = 6;                ///< inner area's left edge in a decoded frame
constexpr int Border_Y = 12;               ///< inner area's top edge in a decoded frame
constexpr std::int64_t Tenth_Second = 30;  ///< packs
constexpr double First_Press = 6.0;        ///< seconds: the screen is up well before
constexpr double Press_Step = 0.6;
constexpr double Held = 0.35;

struct Syllable_Check {
  int field = 0;
  std::int64_t lead_start = 0;  ///< packs: the first event the press wrote
  std::int64_t press = 0;
  std::int64_t release = 0;
};

struct Scenario {
  std::unique_ptr<Song> song = std::make_unique<Song>();
  std::vector<Syllable_Check> syllables;
  std::map<std::int64_t, std::string> frames;
  std::string failure;
};

std::vector<Logged_Key> Script(const Song& song, int first_field) {
  std::vector<Logged_Key> keys;
  double t = First_Press;
  for (int f = first_field; f != 0; f = Next_Field(song, f), t += Press_Step) {
    keys.push_back({t, Log_Key::Press});
    keys.push_back({t + Held, Log_Key::Release});
  }
  return keys;
}

std::unique_ptr<Scenario> Build(const testing::Temp_Dir& dir) {
  auto sc = std::make_unique<Scenario>();
  Song& song = *sc->song;
  song.RTB_Raw.Set_Text(
      QStringLiteral("Morning light is shining\r\nover the river\r\ndancing slowly\r\nhappy day"));
  testing::Recording_Ui recorder;
  const Ui ui = recorder.ui();
  auto te = std::make_unique<Timing_Editor>();
  song.Window_Controls.Set_Check("Chk_Tabmode", 1);
  Chk_Tabmode_Click(*te, song, ui);
  Begin_Key_Session(*te, song);
  const int first = te->Current_Field;
  if (first == 0 || song.Field_Count < 8) {
    sc->failure = "the lyrics were not broken into syllables";
    return sc;
  }
  const std::vector<Logged_Key> keys = Script(song, first);
  Replay_Key_Log(*te, song, ui, keys);
  std::size_t k = 0;
  for (int f = first; f != 0; f = Next_Field(song, f), k += 2) {
    const std::string& events = song.Fields[static_cast<std::size_t>(f)].Events;
    sc->syllables.push_back({f, Event_Time_Packs(events, 1),
                             static_cast<std::int64_t>(keys[k].seconds * 300 + 0.5),
                             Event_Time_Packs(events, -1)});
  }
  Controls& c = song.Window_Controls;
  c.Set_Text("txt_Filename", 2, dir.File("song.cdg"));
  c.Set_Text("Txt_TotalTime", "0:30");
  c.Set_Text("txt_lines_on_screen", std::to_string(Lines_On_Screen));
  if (!But_CDG_Create_Click(song, ui)) {
    sc->failure = "the create button wrote nothing";
    return sc;
  }
  std::set<std::int64_t> picks;
  for (const Syllable_Check& s : sc->syllables)
    picks.insert({s.lead_start - 2, s.press + Tenth_Second, s.release + Tenth_Second});
  const std::vector<std::int64_t> packs(picks.begin(), picks.end());
  std::string error;
  std::vector<std::string> frames = testing::Ffmpeg_Frames(dir.File("song.cdg"), packs, &error);
  if (frames.size() != packs.size()) {
    sc->failure = "ffmpeg gave too few frames: " + error;
    return sc;
  }
  for (std::size_t i = 0; i < packs.size(); ++i) sc->frames[packs[i]] = std::move(frames[i]);
  return sc;
}

/// Pixels of a palette entry's colour in a syllable's columns on its line's slot.
int Count(const Scenario& sc, std::int64_t pack, int f, int palette_index) {
  const Song& song = *sc.song;
  const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
  const int line = Line_Of_Char(song, field.First_Char);
  const auto& entry = song.Palette[static_cast<std::size_t>(palette_index)];
  const std::array<int, 3> rgb{entry[1] * 17, entry[2] * 17, entry[3] * 17};
  const std::string& frame = sc.frames.at(pack);
  // One pixel in from each side, so that a neighbour's overhanging letter does not count.
  const int x0 = song.Char_X[static_cast<std::size_t>(field.First_Char - 1)] + 1;
  const int x1 = song.Char_X[static_cast<std::size_t>(field.Last_Char)] - 2;
  int count = 0;
  for (int y = Slot_Top(line, Lines_On_Screen); y < Slot_Top(line + 1, Lines_On_Screen); ++y)
    for (int x = x0; x <= x1; ++x) {
      const std::size_t at =
          (static_cast<std::size_t>(y + Border_Y) * testing::Ffmpeg_Frame_Width + x + Border_X) * 3;
      count += std::array<int, 3>{static_cast<std::uint8_t>(frame[at]),
                                  static_cast<std::uint8_t>(frame[at + 1]),
                                  static_cast<std::uint8_t>(frame[at + 2])} == rgb;
    }
  return count;
}

TEST(TimingEndToEnd, EverySyllableTurnsWipedAtItsScriptedPress) {
  if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  testing::Temp_Dir dir;
  const std::unique_ptr<Scenario> sc = Build(dir);
  ASSERT_TRUE(sc->failure.empty()) << sc->failure;
  const Singer_Rec& singer = sc->song->Singers[1];
  for (const Syllable_Check& s : sc->syllables) {
    const Field_Rec& field = sc->song->Fields[static_cast<std::size_t>(s.field)];
    SCOPED_TRACE("syllable '" +
                 sc->song->RTB_Raw.Text()
                     .mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1)
                     .toStdString() +
                 "'");
    EXPECT_LE(s.lead_start, s.press) << "the lead-in comes before the press";
    EXPECT_GE(s.lead_start, s.press - 30 * (field.Last_Char - field.First_Char + 1));
    const int letters = Count(*sc, s.lead_start - 2, s.field, singer.Unwiped_Body);
    ASSERT_GT(letters, 0) << "its letters are shown unwiped before the lead-in";
    EXPECT_EQ(Count(*sc, s.lead_start - 2, s.field, singer.Wiped_Body), 0);
    EXPECT_GT(Count(*sc, s.press + Tenth_Second, s.field, singer.Wiped_Body), 0)
        << "wiped columns within 0.1 s of the press";
    EXPECT_EQ(Count(*sc, s.release + Tenth_Second, s.field, singer.Unwiped_Body), 0)
        << "wiped whole after the release";
    EXPECT_EQ(Count(*sc, s.release + Tenth_Second, s.field, singer.Wiped_Body), letters);
  }
}

}  // namespace
}  // namespace lyricanvas
