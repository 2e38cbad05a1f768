// End to end without a display: lyrics broken into syllables in Tab mode are timed by a scripted
// key log, created as a .cdg file and played by an independent decoder (the ffmpeg command).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>

#include "cdg/creation.h"
#include "cdg/line_drawing.h"
#include "support/ffmpeg.h"
#include "timing/key_log.h"
#include "timing_fixture.h"

namespace lyricanvas {
namespace {

TEST(TimingEndToEnd, EverySyllableTurnsWipedAtItsScriptedPress) {
  if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  constexpr int Lines_On_Screen = 4;
  constexpr std::int64_t Tenth_Second = 30;  ///< packs
  testing::Temp_Dir dir;
  testing::Recording_Ui recorder;
  auto song = std::make_unique<Song>();
  auto te = std::make_unique<Timing_Editor>();
  song->RTB_Raw.Set_Text(
      QStringLiteral("Morning light is shining\r\nover the river\r\ndancing slowly\r\nhappy day"));
  song->Window_Controls.Set_Check("Chk_Tabmode", 1);
  song->Suppress_Text_Events = true;  // the program setting the box, as opening a project does
  Chk_Tabmode_Click(*te, *song, recorder.ui());
  ASSERT_EQ(song->Field_Count, 0) << "the box set by the program broke nothing";
  song->Suppress_Text_Events = false;
  Chk_Tabmode_Click(*te, *song, recorder.ui());
  Begin_Key_Session(*te, *song);
  ASSERT_GE(song->Field_Count, 8) << "the lyrics were broken into syllables";
  // A press every 0.6 s from 6 s on (the screen is up well before), each held 0.35 s.
  std::vector<int> fields;
  std::vector<Logged_Key> keys;
  for (int f = te->Current_Field; f != 0; f = Next_Field(*song, f)) {
    fields.push_back(f);
    keys.push_back({6 + 0.6 * static_cast<double>(fields.size() - 1), Log_Key::Press});
    keys.push_back({keys.back().seconds + 0.35, Log_Key::Release});
  }
  Replay_Key_Log(*te, *song, recorder.ui(), keys);
  Controls& c = song->Window_Controls;
  c.Set_Text("txt_Filename", 2, dir.File("song.cdg"));
  c.Set_Text("Txt_TotalTime", "0:30");
  c.Set_Text("txt_lines_on_screen", std::to_string(Lines_On_Screen));
  ASSERT_TRUE(But_CDG_Create_Click(*song, recorder.ui()));

  std::vector<std::array<std::int64_t, 3>> moments;  ///< lead-in start, press, release (packs)
  std::set<std::int64_t> picks;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::string& events = song->Fields[static_cast<std::size_t>(fields[k])].Events;
    const auto& m = moments.emplace_back(std::array{
        Event_Time_Packs(events, 1), std::int64_t{std::llround(keys[2 * k].seconds * 300)},
        Event_Time_Packs(events, -1)});
    picks.insert({m[0] - 2, m[1] + Tenth_Second, m[2] + Tenth_Second});
  }
  const std::vector<std::int64_t> packs(picks.begin(), picks.end());
  std::string error;
  const std::vector<std::string> frames =
      testing::Ffmpeg_Frames(dir.File("song.cdg"), packs, &error);
  ASSERT_EQ(frames.size(), packs.size()) << error;

  // Pixels of a palette entry's colour in a syllable's columns on its line's slot, one pixel in
  // from each side so that a neighbour's overhanging letter does not count; the inner area
  // starts at (6, 12) of a decoded frame.
  auto count = [&](std::int64_t pack, const Field_Rec& field, int palette_index) {
    const std::string& frame =
        frames[static_cast<std::size_t>(std::ranges::lower_bound(packs, pack) - packs.begin())];
    const auto& entry = song->Palette[static_cast<std::size_t>(palette_index)];
    const int line = Line_Of_Char(*song, field.First_Char);
    int n = 0;
    for (int y = Slot_Top(line, Lines_On_Screen); y < Slot_Top(line + 1, Lines_On_Screen); ++y) {
      for (int x = song->Char_X[static_cast<std::size_t>(field.First_Char - 1)] + 1;
           x <= song->Char_X[static_cast<std::size_t>(field.Last_Char)] - 2; ++x) {
        const auto at =
            3 * static_cast<std::size_t>((y + 12) * testing::Ffmpeg_Frame_Width + x + 6);
        n += static_cast<std::uint8_t>(frame[at]) == entry[1] * 17 &&
             static_cast<std::uint8_t>(frame[at + 1]) == entry[2] * 17 &&
             static_cast<std::uint8_t>(frame[at + 2]) == entry[3] * 17;
      }
    }
    return n;
  };
  const Singer_Rec& singer = song->Singers[1];
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const Field_Rec& field = song->Fields[static_cast<std::size_t>(fields[k])];
    const auto [lead_start, press, release] = moments[k];
    const int length = field.Last_Char - field.First_Char + 1;
    SCOPED_TRACE("syllable '" +
                 song->RTB_Raw.Text().mid(field.First_Char - 1, length).toStdString() + "'");
    EXPECT_LE(lead_start, press) << "the lead-in comes before the press";
    EXPECT_GE(lead_start, press - 30 * length);
    const int letters = count(lead_start - 2, field, singer.Unwiped_Body);
    ASSERT_GT(letters, 0) << "its letters are shown unwiped before the lead-in";
    EXPECT_EQ(count(lead_start - 2, field, singer.Wiped_Body), 0);
    EXPECT_GT(count(press + Tenth_Second, field, singer.Wiped_Body), 0)
        << "wiped columns within 0.1 s of the press";
    EXPECT_EQ(count(release + Tenth_Second, field, singer.Unwiped_Body), 0)
        << "wiped whole after the release";
    EXPECT_EQ(count(release + Tenth_Second, field, singer.Wiped_Body), letters);
  }
}

}  // namespace
}  // namespace lyricanvas
