// The real program: started as a user would, it shows its window and quits when asked.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "support/test_support.h"

namespace lyricanvas::testing {
namespace {

TEST(Program, ShowsItsWindowWithAProjectAndQuits) {
  Temp_Dir dir;
  Write_File(dir.File("song.txt"), "Just some lyrics");
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  // On a virtual X display when there is one, so the window goes through a real display server.
  const bool virtual_display = QFileInfo::exists(QStringLiteral("/usr/bin/xvfb-run"));
  if (virtual_display)
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  else
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("LYRICANVAS_STARTUP_REPORT"), QStringLiteral("quit"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir.File("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir.File("data")));
  program.setProcessEnvironment(env);
  QStringList arguments = {QStringLiteral(LYRICANVAS_PROGRAM),
                           QString::fromStdString(dir.File("song.txt"))};
  const QString command =
      virtual_display ? QStringLiteral("/usr/bin/xvfb-run") : arguments.takeFirst();
  if (virtual_display) arguments.prepend(QStringLiteral("-a"));
  program.start(command, arguments);
  ASSERT_TRUE(program.waitForFinished(30'000));
  const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0) << errors.toStdString();
  EXPECT_TRUE(errors.contains(QRegularExpression(QStringLiteral("first paint after [0-9.]+ ms"))))
      << errors.toStdString();
}

}  // namespace
}  // namespace lyricanvas::testing
