#pragma once
// The Qt application that the readers' font and text services need, started once per fuzz run.
#include <QGuiApplication>

#include "model/headless.h"

namespace lyricanvas::fuzzing {

inline QGuiApplication& Fuzz_Application() {
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  Prepare_Headless_Environment();
  static QGuiApplication app(argc, argv);
  return app;
}

}  // namespace lyricanvas::fuzzing
