// Test entry: Qt's font and text services need a GUI application; tests run it offscreen.
// The window's tests need a widget application, and keep its settings and data files in a
// scratch folder of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "model/headless.h"

#ifdef LYRICANVAS_TEST_WIDGETS
#include <QApplication>
using Test_Application = QApplication;

namespace {

void Use_Scratch_Home() {
  static std::string home = [] {
    char pattern[] = "/tmp/lyricanvas-gui-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return std::string(dir ? dir : "/tmp");
  }();
  setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 0);
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 0);
}

}  // namespace
#else
#include <QGuiApplication>
using Test_Application = QGuiApplication;
#endif

int main(int argc, char** argv) {
  lyricanvas::Prepare_Headless_Environment();
#ifdef LYRICANVAS_TEST_WIDGETS
  Use_Scratch_Home();
#endif
  Test_Application app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
