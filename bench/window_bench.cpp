// The window's responsiveness: how long the program takes to show its window with the demo
// project (by its own timer, from main to the first paint), and the longest stall of the
// window's thread while a 20-minute song is being created.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <regex>
#include <string>

#include "app/window/creation_tab.h"
#include "app/window/main_window.h"
#include "model/headless.h"
#include "support/song_builder.h"

namespace {

using namespace lyricanvas;

/// Milliseconds the program reports from main to its first paint; -1 when it reported nothing.
double First_Paint_Ms(const std::string& project) {
  const std::string command = "LYRICANVAS_STARTUP_REPORT=quit QT_QPA_PLATFORM=offscreen '" +
                              std::string(LYRICANVAS_PROGRAM) + "' '" + project + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
  pclose(pipe);
  std::smatch match;
  static const std::regex report("first paint after ([0-9.]+) ms");
  return std::regex_search(output, match, report) ? std::stod(match[1]) : -1;
}

void BM_Window_First_Paint(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string project = dir.filePath(QStringLiteral("demo.cgp")).toStdString();
  const std::string import = std::string("QT_QPA_PLATFORM=offscreen '") + LYRICANVAS_CLI +
                             "' import '" + LYRICANVAS_DEMO + "' -o '" + project + "' >/dev/null";
  if (std::system(import.c_str()) != 0) return state.SkipWithError("the demo cannot be imported");
  double worst = 0;
  for (auto _ : state) {
    const double ms = First_Paint_Ms(project);
    if (ms < 0) return state.SkipWithError("the program reported no first paint");
    worst = std::max(worst, ms);
    state.SetIterationTime(ms / 1000);
  }
  state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_Window_First_Paint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

/// Creates a song of the given length from the window and returns the longest gap, in
/// milliseconds, between two ticks of a 1 ms timer on the window's thread meanwhile.
double Longest_Gap_While_Creating(int lines, double seconds, const QString& output) {
  Window_Options options;
  options.recovery_folder = QFileInfo(output).absolutePath() + QStringLiteral("/recovery");
  Main_Window window(options);
  Dialogs quiet;
  quiet.message = [](const std::string&) {};
  quiet.ask = [](const std::string&, bool) { return Answer::Yes; };
  window.Set_Dialogs(quiet);
  testing::Build_Song(window.song(), testing::Generated_Song(lines, seconds));
  window.song().Window_Controls.Set_Text("Txt_TotalTime", std::to_string(int(seconds)));
  window.song().Window_Controls.Set_Text("txt_Filename", 2, output.toStdString());
  window.context().project_replaced();
  window.show();

  QEventLoop loop;
  QElapsedTimer since_tick;
  double longest = 0;
  QTimer ticks;
  ticks.setTimerType(Qt::PreciseTimer);
  ticks.setInterval(1);
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    longest = std::max(longest, since_tick.nsecsElapsed() / 1e6);
    since_tick.restart();
    if (!window.creation_tab()->Creating()) loop.quit();
  });
  window.creation_tab()->But_CDG_Create_Click();
  since_tick.start();
  ticks.start();
  loop.exec();
  return longest;
}

void BM_Window_Gap_During_Creation(benchmark::State& state) {
  QTemporaryDir dir;
  const QString output = dir.filePath(QStringLiteral("song.cdg"));
  double worst = 0;
  for (auto _ : state) {
    const double gap = Longest_Gap_While_Creating(static_cast<int>(state.range(0)),
                                                  static_cast<double>(state.range(1)), output);
    worst = std::max(worst, gap);
    state.SetIterationTime(gap / 1000);
  }
  state.counters["worst_gap_ms"] = worst;
}
// The 20-minute song of the creation benchmark: 300 lines over 1200 seconds.
BENCHMARK(BM_Window_Gap_During_Creation)
    ->Args({300, 1200})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  Prepare_Headless_Environment();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
