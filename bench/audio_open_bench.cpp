// Opening a 5-minute MP3 (made by the ffmpeg command): the first sound must come within 300 ms
// and the whole song must be decoded within 2 s, so a user can start timing at once.
#include "bench_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/audio_engine.h"

namespace {

/// Five minutes of stereo pink noise at 192 kbit/s, a dense signal for the decoder.
const std::string& Five_Minute_Mp3() {
  static const std::string path = [] {
    std::string file = (std::filesystem::temp_directory_path() / "lyricanvas_bench_5min.mp3").string();
    std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i anoisesrc=d=300:c=pink:r=44100:a=0.3 "
                          "-ac 2 -b:a 192k '" + file + "'";
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "ffmpeg could not make the benchmark's MP3\n");
      std::exit(1);
    }
    return file;
  }();
  return path;
}

/// From opening the file to the first song samples taken by the output.
void BM_OpenMp3ToFirstSound(benchmark::State& state) {
  const std::string& path = Five_Minute_Mp3();
  for (auto _ : state) {
    lyricanvas::Audio_Engine engine(lyricanvas::Audio_Output::Silent);
    lyricanvas::Audio_Error error;
    if (!engine.Open(path, error)) state.SkipWithError(error.Description.c_str());
    engine.Run();
    while (engine.Position() <= 0) {
    }
    state.PauseTiming();
    engine.Close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenMp3ToFirstSound)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

/// From opening the file to the last sample decoded.
void BM_DecodeWholeMp3(benchmark::State& state) {
  const std::string& path = Five_Minute_Mp3();
  for (auto _ : state) {
    lyricanvas::Audio_Engine engine(lyricanvas::Audio_Output::Silent);
    lyricanvas::Audio_Error error;
    if (!engine.Open(path, error)) state.SkipWithError(error.Description.c_str());
    engine.Wait_Decoded(1e9, 60);
    benchmark::DoNotOptimize(engine.Duration());
  }
}
BENCHMARK(BM_DecodeWholeMp3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
