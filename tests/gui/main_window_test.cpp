#include "app/window/main_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRegularExpression>
#include <map>

#include "app/window/dialogs.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using MainWindow = Window_Test;

const QString Caption_Start = QStringLiteral(" Lyricanvas Karaoke Authoring Tool Version 1.0.20");

TEST(QtFileFilter, EveryPairBecomesOneFilterThatQtCanRead) {
  const std::map<std::string, std::string> cases = {
      {"", "All files (*)"},
      {"CD+G data files (*.cdg)|*.cdg|CDRWIN image files (*.bin)|*.bin",
       "CD+G data files (*.cdg);;CDRWIN image files (*.bin)"},
      {"Pictures|*.bmp;*.dib", "Pictures (*.bmp *.dib)"}};
  for (const auto& [filter, expected] : cases)
    EXPECT_EQ(Qt_File_Filter(filter).toStdString(), expected) << filter;
}

/// The mnemonic letter of a caption, 0 when it has none.
QChar Mnemonic(const QString& text) {
  const qsizetype at = QString(text).replace(QStringLiteral("&&"), QString()).indexOf(u'&');
  return at < 0 || at + 1 >= text.size() ? QChar() : text[at + 1].toLower();
}

TEST_F(MainWindow, TabsAndTheirControlsHaveUniqueMnemonics) {
  auto w = Open_Window();
  QTabWidget* tabs = w->window->tabs();
  std::map<QChar, QString> tab_keys;
  for (int i = 0; i < tabs->count(); ++i)
    EXPECT_TRUE(tab_keys.emplace(Mnemonic(tabs->tabText(i)), tabs->tabText(i)).second) << i;
  EXPECT_FALSE(tab_keys.contains(QChar()));
  for (int i = 0; i < tabs->count(); ++i) {
    std::map<QChar, QString> used = tab_keys;
    QStringList captions;
    for (auto* button : tabs->widget(i)->findChildren<QAbstractButton*>()) {
      captions << button->text();
      if (qobject_cast<QPushButton*>(button)) {
        EXPECT_FALSE(Mnemonic(button->text()).isNull()) << button->objectName().toStdString();
      }
    }
    for (auto* label : tabs->widget(i)->findChildren<QLabel*>())
      if (label->buddy()) captions << label->text();
    for (const QString& caption : captions) {
      if (Mnemonic(caption).isNull()) continue;
      auto [it, fresh] = used.emplace(Mnemonic(caption), caption);
      EXPECT_TRUE(fresh) << caption.toStdString() << " and " << it->second.toStdString();
    }
  }
}

TEST_F(MainWindow, AMissingProjectLeavesAnEmptyWindowWhoseEditorFollowsTheWipingStyle) {
  auto w = Open_Window();
  (*w)->Start_Up("\"" + File("gone.cgp") + "\"");
  EXPECT_EQ(w->fake.messages, std::vector{"Could not find file " + File("gone.cgp") + "!"});
  EXPECT_EQ((*w)->windowTitle(), Caption_Start + QStringLiteral(" - No project open"));
  EXPECT_TRUE(w->song().Project_File.empty());
  // A changed wiping style rewraps the editor.
  const int with_outline = w->Editor()->lineWrapColumnOrWidth();
  w->Find<QComboBox>("Com_WipingStyle")->setCurrentText(QStringLiteral("Draw no outline"));
  EXPECT_EQ(w->Editor()->lineWrapColumnOrWidth(), with_outline + 4);
  // The text itself, inside the document's margins, gets the width of a CD+G line.
  const QTextDocument* document = w->Editor()->document();
  EXPECT_EQ(document->textWidth() - 2 * document->documentMargin(), w->song().RTB_Raw.Text_Width());
  EXPECT_FALSE(w->song().Draw_Outline);
  EXPECT_TRUE((*w)->Unsaved_Changes());
}

TEST_F(MainWindow, AMissingDefaultFontMustBeReplacedByAnInstalledOne) {
  auto w = Open_Window();
  Font_Rec missing = w->song().RTB_Raw.Default_Font();
  missing.Font_Name = QStringLiteral("No Such Font");
  w->song().RTB_Raw.Set_Default_Font(missing);
  Font_Rec installed = missing, also_missing = missing;
  installed.Font_Name = QStringLiteral("dejavu sans");  // names match without regard to case
  also_missing.Font_Name = QStringLiteral("Still Missing");
  w->fake.fonts = {std::nullopt, also_missing, installed};
  (*w)->Start_Up("");
  const std::string again = "Sorry, but you HAVE to select an available font!";
  EXPECT_EQ(w->fake.messages,
            (std::vector<std::string>{"The default font of Lyricanvas (No Such Font) isn't "
                                      "available on this system. Please select another font!",
                                      again, again}));
  EXPECT_EQ(w->song().RTB_Raw.Default_Font().Font_Name, QStringLiteral("dejavu sans"));
  EXPECT_EQ(w->Find<QComboBox>("Com_Font")->currentText(), QStringLiteral("dejavu sans"));
}

// The real program: started as a user would, it shows its window and quits when asked.
TEST(Program, ShowsItsWindowWithAProjectAndQuits) {
  Temp_Dir dir;
  Write_File(dir.File("song.txt"), "Just some lyrics");
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LYRICANVAS_STARTUP_REPORT"), QStringLiteral("quit"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir.File("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dir.File("data")));
  QString command = QStringLiteral(LYRICANVAS_PROGRAM);
  QStringList arguments = {QString::fromStdString(dir.File("song.txt"))};
  // On a virtual X display when there is one, so the window goes through a real display server.
  if (QFileInfo::exists(QStringLiteral("/usr/bin/xvfb-run"))) {
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    arguments = QStringList{QStringLiteral("-a"), command} + arguments;
    command = QStringLiteral("/usr/bin/xvfb-run");
  } else {
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  }
  program.setProcessEnvironment(env);
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
