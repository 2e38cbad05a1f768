#pragma once
// Shared set-up of the timing tests: songs of syllable fields (timed or not), a timing editor
// laid out on them, and readers for event strings and the view's pixels.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
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

/// Lines of syllables split by '|' and after each blank, with their times in seconds or none:
/// {"Mor@1-2|ning@2 light"} gives "Mor" (1 s to 2 s), "ning " (from 2 s) and "light" (untimed;
/// the blank belongs to no field).
inline std::vector<Song_Line> Lines(const std::vector<std::string>& lines, int singer = 1) {
  static const std::regex syllable(R"(([^|@ ]+)(?:@([\d.]+)(?:-([\d.]+))?)?( ?)\|?)");
  std::vector<Song_Line> out;
  for (const std::string& line : lines) {
    out.push_back({{}, singer});
    for (std::sregex_iterator m(line.begin(), line.end(), syllable), end; m != end; ++m) {
      const std::smatch& g = *m;
      out.back().syllables.push_back({g[1].str() + g[4].str(),
                                      g[2].matched ? std::stod(g[2].str()) : -1,
                                      g[3].matched ? std::stod(g[3].str()) : 0});
    }
  }
  return out;
}

/// A song and a timing editor prepared as the "Lyrics swiping" tab does, in Tab mode.
struct Timing_Setup {
  std::unique_ptr<Song> song = std::make_unique<Song>();
  std::unique_ptr<Timing_Editor> te = std::make_unique<Timing_Editor>();
  Recording_Ui recorder;
  Ui ui = recorder.ui();

  explicit Timing_Setup(const std::vector<std::string>& text, int singer = 1) {
    const std::vector<Song_Line> lines = Lines(text, singer);
    Build_Song(*song, lines);
    int f = 0;
    for (const Song_Line& line : lines) {
      for (const Syllable& syllable : line.syllables) {
        ++f;
        if (syllable.start < 0) song->Fields[f].Events.clear();
      }
    }
    song->Window_Controls.Set_Check("Chk_Tabmode", 1);
    Layout_Text(*song);
    Prepare_Timing_View(*te, *song);
    Build_Areas(*te, *song);
    Redraw_View(*te, *song, te->VSc_Line_Value);
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
  /// Pixels of a colour in columns x0..x1 of a view row.
  int Pixels(int row, int x0, int x1, QRgb color) const {
    int count = 0;
    for (int y = row * View_Row_Height; y < (row + 1) * View_Row_Height; ++y)
      for (int x = x0; x <= x1; ++x)
        count += te->Pic_Indication.Pixel(x, y) == (color | 0xff000000u);
    return count;
  }
  /// The palette colour of the wiped or unwiped body of a singer's letters.
  QRgb Color(bool wiped, int singer = 1) const {
    const Singer_Rec& s = song->Singers[static_cast<std::size_t>(singer)];
    return song->Palette_RGB[static_cast<std::size_t>(wiped ? s.Wiped_Body : s.Unwiped_Body)];
  }
};

/// An event string written as position@packs pairs: "1@300 250@330".
inline std::string Events_Of(const std::string& text) {
  std::istringstream in(text);
  std::string events;
  int position = 0;
  char at = 0;
  std::int64_t packs = 0;
  while (in >> position >> at >> packs) events += Encode_Event(position, packs);
  return events;
}

/// The events of a string in that notation, for readable comparisons.
inline std::string Events_Text(const std::string& events) {
  std::string text;
  for (int k = 1; k <= Event_Count(events); ++k) {
    const int position = static_cast<unsigned char>(events[static_cast<std::size_t>(4 * k - 4)]);
    text += (k > 1 ? " " : "") + std::to_string(position) + "@" +
            std::to_string(Event_Time_Packs(events, k));
  }
  return text;
}

}  // namespace lyricanvas::testing
