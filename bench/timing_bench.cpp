// The timing editor's per-frame and per-key work on a 500-line song with every syllable timed:
// one replay step of the playback loop must take under 1 ms, drawing the whole view (11 rows)
// under 5 ms, and a Space press with its release, from the key to the events written, under
// 1 ms.
#include "bench_support.h"

#include <memory>

#include "model/layout.h"
#include "support/song_builder.h"
#include "timing/areas.h"
#include "timing/key_timing.h"
#include "timing/timing_view.h"

namespace {

using namespace lyricanvas;

constexpr int Lines = 500;
constexpr double Song_Seconds = 1500;
constexpr double Frame = 1.0 / 60;

struct Timed_Song {
  std::unique_ptr<Song> song = std::make_unique<Song>();
  std::unique_ptr<Timing_Editor> te = std::make_unique<Timing_Editor>();
  Ui ui;

  Timed_Song() {
    testing::Build_Song(*song, testing::Generated_Song(Lines, Song_Seconds));
    song->Window_Controls.Set_Check("Chk_Tabmode", 1);
    Layout_Text(*song);
    Prepare_Timing_View(*te, *song);
    Build_Areas(*te, *song);
  }
};

void BM_Replay_Step(benchmark::State& state) {
  Timed_Song s;
  // A minute in the middle of the song, played over and over.
  const double start = Song_Seconds / 2;
  double t = start + 61;
  for (auto _ : state) {
    t += Frame;
    if (t > start + 60) {
      state.PauseTiming();
      t = start;
      Reset_Areas(*s.te, *s.song, s.ui, t);
      Redraw_View(*s.te, *s.song, s.te->VSc_Line_Value);
      state.ResumeTiming();
    }
    Replay_Events(*s.te, *s.song, s.ui, t);
  }
  state.counters["areas"] = s.te->Area_Count;
}
BENCHMARK(BM_Replay_Step)->Unit(benchmark::kMicrosecond);

void BM_Redraw_View(benchmark::State& state) {
  Timed_Song s;
  Reset_Areas(*s.te, *s.song, s.ui, Song_Seconds / 2);
  VSc_Line_Change(*s.te, *s.song, Lines / 2 - 4);
  for (auto _ : state) Redraw_View(*s.te, *s.song, s.te->VSc_Line_Value);
}
BENCHMARK(BM_Redraw_View)->Unit(benchmark::kMicrosecond);

void BM_Space_Press_And_Release(benchmark::State& state) {
  Timed_Song s;
  s.te->Current_Field = 1;
  double t = 5;
  for (auto _ : state) {
    if (s.te->Current_Field == 0) s.te->Current_Field = 1;
    Form_KeyDown(*s.te, *s.song, s.ui, Timing_Key::Space, t, true);
    Form_KeyUp(*s.te, *s.song, Timing_Key::Space, t + 0.2);
    t += 0.3;
  }
}
BENCHMARK(BM_Space_Press_And_Release)->Unit(benchmark::kMicrosecond);

}  // namespace

LYRICANVAS_BENCHMARK_MAIN();
