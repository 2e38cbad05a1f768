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
#include <cstdlib>
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

struct Gaps {
  double longest_ms = 0;  ///< the longest gap between two ticks of a 1 ms timer
  double click_ms = 0;    ///< the create button's own time on the window's thread
};

/// The longest gap between two ticks of a 1 ms timer on this thread while running() holds.
template <class Running>
double Longest_Gap(Running running) {
  QEventLoop loop;
  QElapsedTimer since_tick;
  double longest = 0;
  QTimer ticks;
  ticks.setTimerType(Qt::PreciseTimer);
  ticks.setInterval(1);
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    longest = std::max(longest, since_tick.nsecsElapsed() / 1e6);
    since_tick.restart();
    if (!running()) loop.quit();
  });
  since_tick.start();
  ticks.start();
  loop.exec();
  return longest;
}

/// Creates a song of the given length from the window and measures the window thread's gaps.
Gaps Gaps_While_Creating(int lines, double seconds, const QString& output) {
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

  Gaps gaps;
  QElapsedTimer click;
  click.start();
  window.creation_tab()->But_CDG_Create_Click();
  gaps.click_ms = click.nsecsElapsed() / 1e6;
  gaps.longest_ms = std::max(gaps.click_ms, Longest_Gap([&] { return window.creation_tab()->Creating(); }));
  return gaps;
}

void BM_Window_Gap_During_Creation(benchmark::State& state) {
  QTemporaryDir dir;
  const QString output = dir.filePath(QStringLiteral("song.cdg"));
  Gaps worst;
  for (auto _ : state) {
    const Gaps gaps = Gaps_While_Creating(static_cast<int>(state.range(0)),
                                          static_cast<double>(state.range(1)), output);
    worst.longest_ms = std::max(worst.longest_ms, gaps.longest_ms);
    worst.click_ms = std::max(worst.click_ms, gaps.click_ms);
    state.SetIterationTime(gaps.longest_ms / 1000);
  }
  state.counters["worst_gap_ms"] = worst.longest_ms;
  state.counters["worst_click_ms"] = worst.click_ms;
  // What the machine itself gives a 1 ms timer for two seconds with nothing to do.
  QElapsedTimer idle;
  idle.start();
  state.counters["idle_gap_ms"] = Longest_Gap([&] { return idle.elapsed() < 2000; });
}
// The 20-minute song of the creation benchmark: 300 lines over 1200 seconds.
BENCHMARK(BM_Window_Gap_During_Creation)
    ->Args({300, 1200})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  // The window keeps recent projects and recovery copies in the user's folders; the benchmark's
  // windows, and the programs it starts, keep theirs in a folder of their own.
  QTemporaryDir home;
  setenv("XDG_CONFIG_HOME", qPrintable(home.filePath(QStringLiteral("config"))), 1);
  setenv("XDG_DATA_HOME", qPrintable(home.filePath(QStringLiteral("data"))), 1);
  Prepare_Headless_Environment();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
