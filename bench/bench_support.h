#pragma once
// What every benchmark program needs: Qt's font and text services without a display, and the
// benchmark runner.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>

#include "model/headless.h"

namespace lyricanvas::bench {

/// Starts the headless Qt application for the life of the program.
inline std::unique_ptr<QGuiApplication> Headless_App(int& argc, char** argv) {
  Prepare_Headless_Environment();
  return std::make_unique<QGuiApplication>(argc, argv);
}

inline int Run_Benchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace lyricanvas::bench

/// main() of a benchmark program that uses Qt.
#define LYRICANVAS_BENCHMARK_MAIN()                                  \
  int main(int argc, char** argv) {                                  \
    auto app = lyricanvas::bench::Headless_App(argc, argv);          \
    return lyricanvas::bench::Run_Benchmarks(argc, argv);            \
  }
