// Editing at full size: one keystroke in a song of 5000 timed fields (under 1 ms, so typing
// never lags), and cutting a 500-line text into syllables for Tab mode (under 20 ms).
#include "bench_support.h"

#include <QTextCursor>
#include <memory>

#include "editing/syllables.h"
#include "editing/text_tracking.h"

namespace {

using lyricanvas::Song;

constexpr int Lines = 500;
constexpr int Fields_Per_Line = 10;

/// 500 lines of ten four-letter syllables, every syllable a timed field.
std::unique_ptr<Song> Timed_Song() {
  auto song = std::make_unique<Song>();
  QString text;
  for (int line = 0; line < Lines; ++line) {
    if (line > 0) text += "\r\n";
    for (int s = 0; s < Fields_Per_Line; ++s) text += "laaa ";
  }
  song->RTB_Raw.Set_Text(text);
  const int line_length = Fields_Per_Line * 5 + 2;
  int f = 0;
  for (int line = 0; line < Lines; ++line)
    for (int s = 0; s < Fields_Per_Line; ++s) {
      auto first = static_cast<std::int16_t>(line * line_length + s * 5 + 1);
      song->Fields[++f] = {first, static_cast<std::int16_t>(first + 3),
                           lyricanvas::Encode_Event(1, 300 * f)};
    }
  song->Field_Count = f;
  return song;
}

// A letter typed at the start of the second line and taken away with Backspace: every field
// after it moves twice. Two keystrokes per iteration.
void BM_Keystroke_5000_Fields(benchmark::State& state) {
  auto song = Timed_Song();
  lyricanvas::Edit_Tracker tracker;
  lyricanvas::Track_Edits(*song, tracker);
  QTextCursor cursor(&song->RTB_Raw.Qt());
  const int at = song->RTB_Raw.To_Qt(Fields_Per_Line * 5 + 2);
  for (auto _ : state) {
    cursor.setPosition(at);
    cursor.insertText("x");
    cursor.deletePreviousChar();
  }
  if (song->Fields[Fields_Per_Line + 1].First_Char != Fields_Per_Line * 5 + 3)
    state.SkipWithError("the fields did not follow the keystrokes");
  state.SetItemsProcessed(2 * state.iterations());
  state.counters["ms per keystroke"] = benchmark::Counter(
      2 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_Keystroke_5000_Fields)->Unit(benchmark::kMicrosecond);

void BM_Break_Syllables_500_Lines(benchmark::State& state) {
  auto song = std::make_unique<Song>();
  QString text;
  for (int line = 0; line < Lines; ++line) {
    if (line > 0) text += "\r\n";
    text += "Over the rainbow, wonderful didn't";
  }
  song->RTB_Raw.Set_Text(text);
  lyricanvas::Ui quiet;
  int made = 0;
  for (auto _ : state) {
    song->Field_Count = 0;
    made = lyricanvas::Break_Syllables(*song, quiet);
  }
  if (made != Lines * 10) state.SkipWithError("unexpected number of syllables");
}
BENCHMARK(BM_Break_Syllables_500_Lines)->Unit(benchmark::kMillisecond);

}  // namespace

LYRICANVAS_BENCHMARK_MAIN();
