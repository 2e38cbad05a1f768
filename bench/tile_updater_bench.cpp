// The tile updater runs over all 768 tiles for every drawing step; most tiles are unchanged and
// must cost next to nothing. Also measures the cost of a screen that does change.
#include <benchmark/benchmark.h>

#include <memory>

#include "cdg/tile_updater.h"

namespace lyricanvas {
namespace {

constexpr int Tiles_Per_Screen = 768;

void Fill_Pattern(Screen_Pixels& screen, int seed) {
  for (int y = 0; y < Inner_Height; ++y) {
    for (int x = 0; x < Inner_Width; ++x)
      screen(y, x) = static_cast<std::uint8_t>((x * 7 + y * 3 + seed) % 16);
  }
}

void BM_UnchangedScreen(benchmark::State& state) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(1000);
  Fill_Pattern(run->Target_Screen, 0);
  Fill_Pattern(run->Shown_Screen, 0);
  for (auto _ : state) {
    Update_All_Tiles(*run);
    benchmark::DoNotOptimize(run->Pack_Pointer);
  }
  state.SetItemsProcessed(state.iterations() * Tiles_Per_Screen);
}
BENCHMARK(BM_UnchangedScreen);

void BM_ChangedScreen(benchmark::State& state) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(Tiles_Per_Screen * 4 + 10);
  int seed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Fill_Pattern(run->Target_Screen, ++seed);
    run->Pack_Buffer.Resize(Tiles_Per_Screen * 4 + 10);
    run->Pack_Pointer = 0;
    run->Pack_Log_Count = 0;
    state.ResumeTiming();
    Update_All_Tiles(*run);
  }
  state.SetItemsProcessed(state.iterations() * Tiles_Per_Screen);
}
BENCHMARK(BM_ChangedScreen);

}  // namespace
}  // namespace lyricanvas

BENCHMARK_MAIN();
