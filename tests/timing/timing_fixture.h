#pragma once
// Shared set-up of the timing tests: songs of syllable fields (timed or not), a timing editor
// laid out on them, and readers for event strings and the view's pixels.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/layout.h"
#include "support/song_builder.h"
#include "support/test_support.h"
#include "timing/areas.h"
#include "timing/key_timing.h"
#include "timing/timing_editor.h"
#include "timing/timing_view.h"

namespace lyricanvas::testing {

/// Untimed syllables: one line of text per entry, syllables split by '|'. "Morn|ing light"
/// gives the fields "Morn", "ing" and "light" (the blank belongs to no field).
inline std::vector<Song_Line> Untimed_Lines(const std::vector<std::string>& lines) {
  std::vector<Song_Line> out;
  for (const std::string& line : lines) {
    Song_Line song_line;
    std::string part;
    auto flush = [&] {
      if (!part.empty()) song_line.syllables.push_back({part, 0, 0});
      part.clear();
    };
    for (char c : line) {
      if (c == '|') {
        flush();
        continue;
      }
      part += c;
      if (c == ' ') flush();
    }
    flush();
    out.push_back(song_line);
  }
  return out;
}

/// A song and a timing editor prepared as the "Lyrics swiping" tab does, in Tab mode.
struct Timing_Setup {
  std::unique_ptr<Song> song = std::make_unique<Song>();
  std::unique_ptr<Timing_Editor> te = std::make_unique<Timing_Editor>();
  Recording_Ui recorder;
  Ui ui = recorder.ui();

  explicit Timing_Setup(const std::vector<Song_Line>& lines, bool untimed = false) {
    Build_Song(*song, lines);
    if (untimed)
      for (int f = 1; f <= song->Field_Count; ++f) song->Fields[f].Events.clear();
    song->Window_Controls.Set_Check("Chk_Tabmode", 1);
    Layout_Text(*song);
    Prepare_Timing_View(*te, *song);
    Build_Areas(*te, *song);
    Redraw_View(*te, *song, te->VSc_Line_Value);
    te->Is_Playing = true;
  }
  Song& S() { return *song; }
  Timing_Editor& T() { return *te; }
  const std::string& Events(int f) const { return song->Fields[f].Events; }
  /// Clicks the field as the user would, making it current.
  void Click(int f) {
    te->Current_Field = te->Held_Field = te->Clicked_Field = f;
    te->Last_Release_Time = 0;
    te->Last_Wiped_Char = 0;
  }
  void Press(double packs) { Press_Timing_Key(*te, *song, ui, packs); }
  void Release(double packs) { Release_Timing_Key(*te, *song, packs); }
};

/// An event string from (position, packs) pairs.
inline std::string Events_Of(const std::vector<std::pair<int, std::int64_t>>& events) {
  std::string s;
  for (auto [p, t] : events) s += Encode_Event(p, t);
  return s;
}

/// The (position, packs) pairs of an event string, for readable failures.
inline std::vector<std::pair<int, std::int64_t>> Decoded(const std::string& events) {
  std::vector<std::pair<int, std::int64_t>> out;
  for (int k = 1; k <= Event_Count(events); ++k)
    out.emplace_back(static_cast<unsigned char>(events[static_cast<std::size_t>(4 * k - 4)]),
                     Event_Time_Packs(events, k));
  return out;
}

/// Pixels of a colour in columns x0..x1 of a view row.
inline int Row_Pixels(const Timing_Editor& te, int row, int x0, int x1, QRgb color) {
  int count = 0;
  for (int y = row * View_Row_Height; y < (row + 1) * View_Row_Height; ++y)
    for (int x = x0; x <= x1; ++x) count += te.Pic_Indication.Pixel(x, y) == (color | 0xff000000u);
  return count;
}

/// The palette colour of a role for a singer.
inline QRgb Singer_Color(const Song& song, int singer, int role) {
  const Singer_Rec& s = song.Singers[static_cast<std::size_t>(singer)];
  const int entry = role == Role_Wiped_Body ? s.Wiped_Body : s.Unwiped_Body;
  return song.Palette_RGB[static_cast<std::size_t>(entry)];
}

}  // namespace lyricanvas::testing
