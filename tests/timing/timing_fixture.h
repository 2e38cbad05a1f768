#pragma once
// Shared set-up of the timing tests: songs of syllable fields (timed or not), a timing editor
// laid out on them, readers for event strings and the view's pixels, and a song player without
// sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "model/layout.h"
#include "support/song_builder.h"
#include "support/test_support.h"
#include "timing/areas.h"
#include "timing/audio_player.h"
#include "timing/key_timing.h"
#include "timing/timing_editor.h"
#include "timing/timing_view.h"

namespace lyricanvas::testing {

/// Lines (also split at '/') of syllables split by '|' and after each blank, with their times in
/// seconds or none: {"Mor@1-2|ning@2 light"} gives "Mor" (1 s to 2 s), "ning " (from 2 s) and
/// "light" (untimed; the blank belongs to no field).
inline std::vector<Song_Line> Lines(const std::vector<std::string>& texts) {
  static const std::regex syllable(R"(([^|@ ]+)(?:@([\d.]+)(?:-([\d.]+))?)?( ?)\|?)");
  std::vector<Song_Line> out;
  for (const std::string& text : texts) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line, '/');) {
      out.push_back({{}, 1});
      for (std::sregex_iterator m(line.begin(), line.end(), syllable), end; m != end; ++m) {
        const std::smatch& g = *m;
        out.back().syllables.push_back({g[1].str() + g[4].str(),
                                        g[2].matched ? std::stod(g[2].str()) : -1,
                                        g[3].matched ? std::stod(g[3].str()) : 0});
      }
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

  explicit Timing_Setup(const std::vector<std::string>& text) {
    const std::vector<Song_Line> lines = Lines(text);
    Build_Song(*song, lines);
    int f = 0;  // fields are made one a syllable
    for (const Song_Line& line : lines)
      for (const Syllable& syllable : line.syllables)
        if (++f; syllable.start < 0) song->Fields[f].Events.clear();
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
  /// Pixels of a colour in columns x0..x1 of a view row.
  int Pixels(int row, int x0, int x1, QRgb color) const {
    int count = 0;
    for (int y = row * View_Row_Height; y < (row + 1) * View_Row_Height; ++y)
      for (int x = x0; x <= x1; ++x)
        count += te->Pic_Indication.Pixel(x, y) == (color | 0xff000000u);
    return count;
  }
  /// The palette colour of the wiped or unwiped body of singer 1's letters.
  QRgb Color(bool wiped) const {
    const Singer_Rec& s = song->Singers[1];
    return song->Palette_RGB[static_cast<std::size_t>(wiped ? s.Wiped_Body : s.Unwiped_Body)];
  }
};

/// Events as position@packs pairs ("1@300 250@330"), for readable comparisons.
inline std::string Events_Text(const std::string& events) {
  std::string text;
  for (int k = 1; k <= Event_Count(events); ++k) {
    const int position = static_cast<unsigned char>(events[static_cast<std::size_t>(4 * k - 4)]);
    text += (k > 1 ? " " : "") + std::to_string(position) + "@" +
            std::to_string(Event_Time_Packs(events, k));
  }
  return text;
}

/// The areas as "first..last@start-end", one after the other.
inline std::string Spans(const Timing_Editor& te) {
  std::ostringstream out;
  for (int i = 1; i <= te.Area_Count; ++i) {
    const Area_Rec& a = te.Areas[static_cast<std::size_t>(i)];
    out << (i > 1 ? " " : "") << a.Starting_Character << ".." << a.Ending_Character << "@"
        << a.Starting_Time << "-" << a.Ending_Time;
  }
  return out.str();
}

/// The song's fields as "text: events" lines ("> " marks the current one), the field of each
/// character and the areas.
inline std::string Timed_Song(Timing_Setup& s) {
  std::string out;
  const QString text = s.S().RTB_Raw.Text();
  for (int f = 1; f <= s.S().Field_Count; ++f) {
    const Field_Rec& field = s.S().Fields[static_cast<std::size_t>(f)];
    out += (f == s.T().Current_Field ? "> " : "  ") +
           text.mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1).toStdString() +
           ": " + (Is_Picture_Field(field) ? field.Events : Events_Text(field.Events)) + "\n";
  }
  out += "fields of the characters";
  for (int c = 1; c <= s.S().RTB_Raw.Length(); ++c)
    out += " " + std::to_string(Field_At_Char(s.S(), c));
  return out + "\nareas " + Spans(s.T()) + "\n";
}

/// A song player whose position runs from a clock the test moves by hand, at the rate set, and
/// (as a real decoder's may) runs on past the duration. Frame k holds the sample
/// k % 30000 - 15000 on the left and half of it on the right.
struct Fake_Audio_Player final : Audio_Player {
  double* now = nullptr;  ///< the test's clock, seconds
  double duration = 200;
  std::set<std::string> unplayable;  ///< paths that fail to open
  std::int64_t decoded_frames = 0;
  int opened = 0;
  bool open = false;
  bool running = false;
  double rate = 1;
  double base = 0;  ///< position when the clock read `since`
  double since = 0;

  explicit Fake_Audio_Player(double& clock) : now(&clock) {}

  bool Open(const std::string& path, Audio_Error& error) override {
    Close();
    if (unplayable.count(path)) {
      error = {-1094995529, "Invalid data found when processing input"};
      return false;
    }
    open = true;
    ++opened;
    Restart(0);
    return true;
  }
  void Close() override { open = running = false; }
  bool Is_Open() const override { return open; }
  void Run() override {
    Restart(Position());
    running = true;
  }
  void Stop() override {
    Restart(Position());
    running = false;
  }
  bool Is_Running() const override { return running && Position() < duration; }
  double Duration() const override { return duration; }
  double Position() const override { return base + (running ? (*now - since) * rate : 0); }
  void Set_Position(double seconds) override { Restart(std::clamp(seconds, 0.0, duration)); }
  double Rate() const override { return rate; }
  void Set_Rate(double r) override {
    Restart(Position());
    rate = r;
  }
  std::int64_t Decoded_Frames() const override { return decoded_frames; }
  std::int64_t Copy_Frames(std::int64_t first, std::span<std::int16_t> out) const override {
    const std::int64_t count =
        std::clamp<std::int64_t>(decoded_frames - first, 0, std::ssize(out) / 2);
    for (std::int64_t i = 0; i < count; ++i) {
      const auto value = static_cast<std::int16_t>((first + i) % 30000 - 15000);
      out[static_cast<std::size_t>(2 * i)] = value;
      out[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::int16_t>(value / 2);
    }
    return count;
  }
  void Restart(double position) {
    base = position;
    since = *now;
  }
};

}  // namespace lyricanvas::testing
