#include "timing/key_log.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "model/layout.h"
#include "timing/areas.h"
#include "timing/mouse_wiping.h"
#include "timing/timing_view.h"

namespace lyricanvas {

namespace {

struct Key_Name {
  Log_Key key;
  std::string_view name;
};

constexpr std::array<Key_Name, 7> Key_Names = {{{Log_Key::Press, "press"},
                                                {Log_Key::Release, "release"},
                                                {Log_Key::Clear, "clear"},
                                                {Log_Key::Skip, "skip"},
                                                {Log_Key::Up, "up"},
                                                {Log_Key::Down, "down"},
                                                {Log_Key::Back, "back"}}};

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<Log_Key> Key_Named(std::string_view name) {
  for (const Key_Name& k : Key_Names)
    if (k.name == name) return k.key;
  return std::nullopt;
}

std::string_view Name_Of(Log_Key key) {
  for (const Key_Name& k : Key_Names)
    if (k.key == key) return k.name;
  return {};
}

// "SECONDS KEY" without comment; an error text when it is not one.
std::string Parse_Line(std::string_view line, Logged_Key& out) {
  const std::size_t space = line.find_first_of(" \t");
  if (space == std::string_view::npos) return "expected SECONDS KEY";
  const std::string_view number = line.substr(0, space);
  double seconds = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), seconds);
  if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(seconds) ||
      seconds < 0)
    return "'" + std::string(number) + "' is not a time in seconds";
  const std::string_view name = Trim(line.substr(space));
  const std::optional<Log_Key> key = Key_Named(name);
  if (!key) return "unknown key '" + std::string(name) + "'";
  out = {seconds, *key};
  return {};
}

struct Key_Stroke {
  Timing_Key key;
  bool down;
  bool up;
};

Key_Stroke Stroke_Of(Log_Key key) {
  switch (key) {
    case Log_Key::Press:
      return {Timing_Key::Space, true, false};
    case Log_Key::Release:
      return {Timing_Key::Space, false, true};
    case Log_Key::Clear:
      return {Timing_Key::C, true, true};
    case Log_Key::Skip:
      return {Timing_Key::S, true, true};
    case Log_Key::Up:
      return {Timing_Key::Up, true, false};
    case Log_Key::Down:
      return {Timing_Key::Down, true, false};
    case Log_Key::Back:
      return {Timing_Key::B, true, false};
  }
  return {Timing_Key::Other, false, false};
}

int First_Field(const Song& song) {
  const int length = song.RTB_Raw.Length();
  for (int c = 1; c <= length; ++c)
    if (const int f = Field_At_Char(song, c)) return f;
  return 0;
}

}  // namespace

std::optional<std::vector<Logged_Key>> Parse_Key_Log(std::string_view text, std::string& error) {
  std::vector<Logged_Key> events;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    Logged_Key event;
    std::string why = Parse_Line(line, event);
    // Only B moves the song back, so only the time after it may be earlier.
    if (why.empty() && !events.empty() && event.seconds < events.back().seconds &&
        events.back().key != Log_Key::Back)
      why = "the time goes back";
    if (!why.empty()) {
      error = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    }
    events.push_back(event);
  }
  return events;
}

std::string Write_Key_Log(const std::vector<Logged_Key>& events) {
  std::string out = "# SECONDS KEY\n";
  char seconds[32];
  for (const Logged_Key& e : events) {
    std::snprintf(seconds, sizeof seconds, "%.4f", e.seconds);
    out += seconds;
    out += ' ';
    out += Name_Of(e.key);
    out += '\n';
  }
  return out;
}

void Begin_Key_Session(Timing_Editor& te, Song& song) {
  Layout_Text(song);
  Prepare_Timing_View(te, song);
  Build_Areas(te, song);
  Redraw_View(te, song, te.VSc_Line_Value);
  const int first = First_Field(song);
  if (first == 0) return;
  const int first_char = song.Fields[static_cast<std::size_t>(first)].First_Char;
  const int line = Line_Of_Char(song, first_char);
  Select_Field_At(te, song, song.Char_X[static_cast<std::size_t>(std::max(first_char - 1, 0))],
                  (line - te.VSc_Line_Value) * View_Row_Height);
}

void Replay_Key_Log(Timing_Editor& te, Song& song, const Ui& ui,
                    const std::vector<Logged_Key>& events) {
  bool moved_back = false;
  for (const Logged_Key& e : events) {
    // Going back moves the song; the log's next time says where it went, and the wipes shown
    // are those of that moment, as in the window.
    if (moved_back) Reset_Areas(te, song, ui, e.seconds);
    Replay_Events(te, song, ui, e.seconds);
    const Key_Stroke stroke = Stroke_Of(e.key);
    if (stroke.down) Form_KeyDown(te, song, ui, stroke.key, e.seconds, true);
    if (stroke.up) Form_KeyUp(te, song, stroke.key, e.seconds);
    moved_back = e.key == Log_Key::Back;
  }
}

}  // namespace lyricanvas
