#include "app/window/main_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <map>

#include "app/window/project_tab.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using MainWindow = Window_Test;

const QString Caption_Start = QStringLiteral(" Lyricanvas Karaoke Authoring Tool Version 1.0.20");

TEST(WindowCaption, FollowsTheProject) {
  struct Case {
    std::string project;
    bool has_text, started;
    const char* tail;
  };
  for (const Case& c : {Case{"", true, false, " - No project open"},
                        Case{"", true, true, " - Unsaved project"},
                        Case{"", false, true, " - Empty project"},
                        Case{"/songs/my song.cgp", true, true, " - my song.cgp"},
                        Case{"my song.cgp", false, false, " - my song.cgp"}})
    EXPECT_EQ(Window_Caption(c.project, c.has_text, c.started),
              Caption_Start + QString::fromLatin1(c.tail))
        << c.project;
}

TEST(CommandLine, OnePairOfQuotesIsRemoved) {
  const std::map<std::string, std::string> cases = {
      {"song.cgp", "song.cgp"},
      {"\"/my songs/song.cgp\"", "/my songs/song.cgp"},
      {"\"\"song.cgp\"\"", "\"song.cgp\""},
      {"\"abc", "ab"},  // the first and the last character go, whatever the last one is
      {"\"", ""},
      {"a\"b\"", "a\"b\""}};
  for (const auto& [argument, path] : cases) EXPECT_EQ(Command_Line_Project(argument), path) << argument;
}

TEST_F(MainWindow, EverySavedControlHasAWidgetOfItsKindThatShowsItsValue) {
  auto w = Open_Window();
  for (const Control& control : (*w)->song().Window_Controls.All()) {
    const QString key = QString::fromStdString(Controls::Key(control));
    QWidget* widget = w->window->findChild<QWidget*>(key);
    ASSERT_NE(widget, nullptr) << key.toStdString();
    EXPECT_EQ(Widget_Value(widget), control.Value) << key.toStdString();
    switch (control.Kind) {
      case Control_Kind::Text: EXPECT_NE(qobject_cast<QLineEdit*>(widget), nullptr); break;
      case Control_Kind::Combo: EXPECT_NE(qobject_cast<QComboBox*>(widget), nullptr); break;
      case Control_Kind::Check: EXPECT_NE(qobject_cast<QCheckBox*>(widget), nullptr); break;
      case Control_Kind::Option: break;
    }
  }
}

TEST_F(MainWindow, FiveTabsInTheOrderOfTheWork) {
  auto w = Open_Window();
  QTabWidget* tabs = (*w)->tabs();
  const QStringList expected = {"Project handling", "Lyrics entry", "Lyrics swiping",
                                "CD+G Creation", "Select Colors"};
  ASSERT_EQ(tabs->count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(tabs->tabText(i).remove(u'&'), expected[i]);
  EXPECT_EQ((*w)->windowTitle(), Caption_Start + QStringLiteral(" - No project open"));
}

/// The mnemonic letter of a caption, 0 when it has none.
QChar Mnemonic(const QString& text) {
  const qsizetype at = QString(text).replace(QStringLiteral("&&"), QString()).indexOf(u'&');
  return at < 0 || at + 1 >= text.size() ? QChar() : text[at + 1].toLower();
}

TEST_F(MainWindow, MnemonicsAreUniqueWithinEachTabAndAmongTheTabs) {
  auto w = Open_Window();
  QTabWidget* tabs = (*w)->tabs();
  std::map<QChar, QString> tab_keys;
  for (int i = 0; i < tabs->count(); ++i) {
    const QChar key = Mnemonic(tabs->tabText(i));
    ASSERT_FALSE(key.isNull()) << tabs->tabText(i).toStdString();
    EXPECT_TRUE(tab_keys.emplace(key, tabs->tabText(i)).second) << tabs->tabText(i).toStdString();
  }
  for (int i = 0; i < tabs->count(); ++i) {
    std::map<QChar, QString> used = tab_keys;
    QStringList captions;
    for (auto* button : tabs->widget(i)->findChildren<QAbstractButton*>()) captions << button->text();
    for (auto* label : tabs->widget(i)->findChildren<QLabel*>())
      if (label->buddy()) captions << label->text();
    for (const QString& caption : captions) {
      const QChar key = Mnemonic(caption);
      if (key.isNull()) continue;
      auto [it, fresh] = used.emplace(key, caption);
      EXPECT_TRUE(fresh) << caption.toStdString() << " and " << it->second.toStdString();
    }
  }
}

TEST_F(MainWindow, EveryButtonOnTheTabsHasAMnemonic) {
  auto w = Open_Window();
  for (auto* button : (*w)->tabs()->findChildren<QPushButton*>())
    EXPECT_FALSE(Mnemonic(button->text()).isNull()) << button->objectName().toStdString();
}

TEST_F(MainWindow, StartsWithAProjectNamedQuotedOrNot) {
  auto first = Open_Window();
  (*first)->song().RTB_Raw.Set_Text(QStringLiteral("First line\r\nSecond line"));
  (*first)->song().Window_Controls.Set_Text("Txt_TotalTime", "3:15");
  (*first)->song().Project_File = File("my song.cgp");
  ASSERT_TRUE(Save_Project((*first)->song(), Ui{}));

  for (const std::string& argument : {File("my song.cgp"), "\"" + File("my song.cgp") + "\""}) {
    auto w = Open_Window();
    (*w)->Start_Up(argument);
    EXPECT_EQ((*w)->windowTitle(), Caption_Start + QStringLiteral(" - my song.cgp")) << argument;
    EXPECT_EQ(w->Find<QLineEdit>("Txt_TotalTime")->text(), QStringLiteral("3:15"));
    EXPECT_EQ(w->Find<QTextEdit>("RTB_Raw")->toPlainText(), QStringLiteral("First line\nSecond line"));
    EXPECT_FALSE((*w)->Unsaved_Changes());
    EXPECT_TRUE(w->fake.messages.empty());
  }
}

TEST_F(MainWindow, AMissingProjectOnTheCommandLineLeavesAnEmptyWindow) {
  auto w = Open_Window();
  const std::string missing = File("gone.cgp");
  (*w)->Start_Up("\"" + missing + "\"");
  ASSERT_EQ(w->fake.messages.size(), 1u);
  EXPECT_EQ(w->fake.messages[0], "Could not find file " + missing + "!");
  EXPECT_EQ((*w)->windowTitle(), Caption_Start + QStringLiteral(" - No project open"));
  EXPECT_TRUE((*w)->song().Project_File.empty());
}

TEST_F(MainWindow, TheLyricsSelectionComesBackAfterAnotherTab) {
  auto w = Open_Window();
  w->Show_Tab(1);
  auto* editor = w->Find<QTextEdit>("RTB_Raw");
  editor->setPlainText(QStringLiteral("one two\nthree four"));
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(8);  // "three"
  cursor.setPosition(13, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
  // The song sees the selection in its own offsets: the line break counts two.
  EXPECT_EQ((*w)->song().RTB_Raw.Sel_Start(), 9);
  EXPECT_EQ((*w)->song().RTB_Raw.Sel_Length(), 5);
  w->Show_Tab(3);
  editor->moveCursor(QTextCursor::Start);
  w->Show_Tab(1);
  EXPECT_EQ(editor->textCursor().selectedText(), QStringLiteral("three"));
}

TEST_F(MainWindow, SaveButtonsNeedSomethingToSave) {
  auto w = Open_Window();
  w->Show_Tab(1);
  w->Find<QTextEdit>("RTB_Raw")->clear();
  w->Show_Tab(0);
  EXPECT_FALSE(w->Find<QPushButton>("But_Save")->isEnabled());
  EXPECT_FALSE(w->Find<QPushButton>("But_SaveAs")->isEnabled());
  w->Show_Tab(1);
  QTest::keyClicks(w->Find<QTextEdit>("RTB_Raw"), QStringLiteral("la"));
  w->Show_Tab(0);
  EXPECT_TRUE(w->Find<QPushButton>("But_Save")->isEnabled());
  EXPECT_TRUE(w->Find<QPushButton>("But_SaveAs")->isEnabled());
}

TEST_F(MainWindow, AFocusRequestShowsTheTabOfTheControl) {
  auto w = Open_Window();
  Focus((*w)->context().ui, "txt_Filename_2");
  EXPECT_EQ((*w)->tabs()->currentIndex(), 3);
  EXPECT_EQ(QApplication::focusWidget(), w->Find<QWidget>("txt_Filename_2"));
}

TEST_F(MainWindow, AChangedWipingStyleRewrapsTheEditor) {
  auto w = Open_Window();
  auto* editor = w->Find<QTextEdit>("RTB_Raw");
  const int with_outline = editor->lineWrapColumnOrWidth();
  w->Find<QComboBox>("Com_WipingStyle")->setCurrentText(QStringLiteral("Draw no outline"));
  EXPECT_EQ(editor->lineWrapColumnOrWidth(), with_outline + 4);
  // The text itself, inside the document's margins, gets the width of a CD+G line.
  EXPECT_EQ(editor->document()->textWidth() - 2 * editor->document()->documentMargin(),
            (*w)->song().RTB_Raw.Text_Width());
  EXPECT_FALSE((*w)->song().Draw_Outline);
  EXPECT_TRUE((*w)->Unsaved_Changes());
}

TEST_F(MainWindow, AMissingDefaultFontMustBeReplacedByAnInstalledOne) {
  auto w = Open_Window();
  Font_Rec missing = (*w)->song().RTB_Raw.Default_Font();
  missing.Font_Name = QStringLiteral("No Such Font");
  (*w)->song().RTB_Raw.Set_Default_Font(missing);
  Font_Rec installed = missing;
  installed.Font_Name = QStringLiteral("dejavu sans");  // names match without regard to case
  Font_Rec also_missing = missing;
  also_missing.Font_Name = QStringLiteral("Still Missing");
  w->fake.fonts = {std::nullopt, also_missing, installed};
  (*w)->Start_Up("");
  ASSERT_EQ(w->fake.messages.size(), 3u);
  EXPECT_EQ(w->fake.messages[0],
            "The default font of Lyricanvas (No Such Font) isn't available on this system. Please "
            "select another font!");
  EXPECT_EQ(w->fake.messages[1], "Sorry, but you HAVE to select an available font!");
  EXPECT_EQ(w->fake.messages[2], w->fake.messages[1]);
  EXPECT_EQ((*w)->song().RTB_Raw.Default_Font().Font_Name, QStringLiteral("dejavu sans"));
  EXPECT_EQ(w->Find<QComboBox>("Com_Font")->currentText(), QStringLiteral("dejavu sans"));
}

TEST_F(MainWindow, TheClassicDefaultFontCountsAsInstalledThroughItsSubstitute) {
  auto w = Open_Window();
  ASSERT_EQ((*w)->song().RTB_Raw.Default_Font().Font_Name, QStringLiteral("Times New Roman"));
  (*w)->Start_Up("");
  EXPECT_TRUE(w->fake.messages.empty());
}

}  // namespace
}  // namespace lyricanvas::testing
