// lyricanvas: the window. One optional argument, a project file, with or without double quotes.
//
// LYRICANVAS_STARTUP_REPORT=1 prints the milliseconds from the start of main to the window's
// first paint on stderr, and leaves the splash out so that nothing covers the window (for
// measuring start-up and taking screenshots); =quit also closes the window then.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/window/main_window.h"
#include "app/window/splash.h"

namespace {

/// Reports the first paint of the window once.
class First_Paint_Watch : public QObject {
 public:
  First_Paint_Watch(const QElapsedTimer& since, bool quit) : since_(since), quit_(quit) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !reported_) {
      reported_ = true;
      std::fprintf(stderr, "first paint after %.1f ms\n", since_.nsecsElapsed() / 1e6);
      if (quit_) QTimer::singleShot(0, qApp, &QApplication::quit);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const QElapsedTimer& since_;
  bool quit_;
  bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer since_start;
  since_start.start();
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Lyricanvas"));
  QApplication::setApplicationName(QStringLiteral("Lyricanvas"));
  QApplication::setApplicationVersion(QString::fromLatin1(lyricanvas::Version));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("lyricanvas")));

  const char* report = std::getenv("LYRICANVAS_STARTUP_REPORT");
  lyricanvas::Main_Window window;
  First_Paint_Watch watch(since_start, report && std::strcmp(report, "quit") == 0);
  if (report) window.installEventFilter(&watch);
  window.show();
  if (!report) (new lyricanvas::Splash(&window))->show();
  // Opening the project may ask or tell the user something: that happens in the running event
  // loop, over the window already shown.
  const std::string project = argc > 1 ? argv[1] : "";
  QTimer::singleShot(0, &window, [&window, project] { window.Start_Up(project); });
  return app.exec();
}
