// Test entry: Qt's font and text services need a GUI application; tests run it offscreen.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include "model/headless.h"

int main(int argc, char** argv) {
  lyricanvas::Prepare_Headless_Environment();
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
