// lyricanvas-cli: the headless command-line tool.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  std::fprintf(stderr, "usage: lyricanvas-cli create|frame|import|info ...\n");
  return 2;
}
