#include "app/window/project_tab.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>

#include "app/window/recent_projects.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using ProjectTab = Window_Test;
using namespace std::string_literals;

/// Selects the characters [from, to) of the editor as a user would drag over them.
void Select(QTextEdit* editor, int from, int to) {
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(from);
  cursor.setPosition(to, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
}

TEST_F(ProjectTab, WhatTheUserSetsIsWhatAFreshWindowOpens) {
  auto w = Open_Window();
  w->Show_Tab(1);
  auto* editor = w->Find<QTextEdit>("RTB_Raw");
  editor->clear();
  QTest::keyClicks(editor, QStringLiteral("Hello my love"));
  // The word "my" becomes the male singer's.
  Select(editor, 6, 8);
  editor->setTextColor(QColor((*w)->song().Singers[2].Text_Color));
  w->Show_Tab(3);
  w->Type_Into("Txt_TotalTime", QStringLiteral("2:30"));
  w->Type_Into("txt_lines_on_screen", QStringLiteral("4"));
  w->Type_Into("Txt_Source_2", QStringLiteral("1:00"));
  w->Find<QComboBox>("Com_FadingStyle")->setCurrentText(QStringLiteral("None"));
  w->Find<QCheckBox>("Chk_Blank")->click();
  w->Show_Tab(2);
  w->Find<QCheckBox>("Chk_AutoScroll")->click();
  w->Show_Tab(0);
  w->Find<QCheckBox>("Chk_incremental_save")->click();
  EXPECT_TRUE((*w)->Unsaved_Changes());
  w->fake.files.push_back(File("love.cgp"));
  w->Click("But_Save");
  ASSERT_TRUE(w->fake.messages.empty()) << w->fake.messages[0];
  EXPECT_FALSE((*w)->Unsaved_Changes());
  EXPECT_EQ((*w)->windowTitle().right(11), QStringLiteral(" - love.cgp"));

  auto fresh = Open_Window();
  fresh->fake.files.push_back(File("love.cgp"));
  fresh->fake.answers.push_back(Answer::No);  // the welcome text is not worth saving
  fresh->Click("But_Open");
  ASSERT_TRUE(fresh->fake.messages.empty()) << fresh->fake.messages[0];
  const Song& opened = (*fresh)->song();
  EXPECT_EQ(opened.RTB_Raw.Text(), QStringLiteral("Hello my love"));
  EXPECT_EQ(opened.RTB_Raw.Color(6, 2), (*w)->song().Singers[2].Text_Color);
  EXPECT_EQ(opened.RTB_Raw.Color(0, 5), (*w)->song().Singers[1].Text_Color);
  EXPECT_EQ(opened.Window_Controls, (*w)->song().Window_Controls);
  for (const Control& control : opened.Window_Controls.All())
    EXPECT_EQ(Widget_Value(fresh->Find<QWidget>(Controls::Key(control).c_str())), control.Value)
        << Controls::Key(control);
  EXPECT_EQ(fresh->Find<QTextEdit>("RTB_Raw")->document(), &(*fresh)->song().RTB_Raw.Qt());
  EXPECT_FALSE((*fresh)->Unsaved_Changes());
}

TEST_F(ProjectTab, TypingAfterOpeningEditsTheOpenedProject) {
  auto w = Open_Window();
  (*w)->song().RTB_Raw.Set_Text(QStringLiteral("la"));
  (*w)->song().Project_File = File("a.cgp");
  ASSERT_TRUE(Save_Project((*w)->song(), Ui{}));
  w->fake.files.push_back(File("a.cgp"));
  w->fake.answers.push_back(Answer::No);
  w->Click("But_Open");
  w->Show_Tab(1);
  auto* editor = w->Find<QTextEdit>("RTB_Raw");
  editor->moveCursor(QTextCursor::End);
  QTest::keyClicks(editor, QStringLiteral("la"));
  EXPECT_EQ((*w)->song().RTB_Raw.Text(), QStringLiteral("lala"));
  EXPECT_TRUE((*w)->Unsaved_Changes());
  EXPECT_EQ((*w)->windowTitle().right(8), QStringLiteral(" - a.cgp"));
}

TEST_F(ProjectTab, ABrokenFileLeavesTheOpenProjectAsItWas) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  for (const Case& c : {Case{"broken.cgp", "{\\rtf1 la<properties>\xfe<x=1>field:1,2,999999:ab"s},
                        Case{"broken.mid", "MThd\x00\x00\x00\x06\x00"s},
                        Case{"broken.rtf", "{\\rtf1{\\pict\\dibitmap0 zz"},
                        Case{"old.cgp", "\x84" "abc"s}}) {
    auto w = Open_Window();
    (*w)->song().RTB_Raw.Set_Text(QStringLiteral("keep me"));
    Write_File(File(c.name), c.bytes);
    w->fake.files.push_back(File(c.name));
    w->fake.answers.push_back(Answer::No);
    w->Click("But_Open");
    // The reader's message, or its question whether to open what could be read (answered No).
    ASSERT_FALSE(w->fake.messages.empty() && w->fake.questions.size() < 2) << c.name;
    const std::string said =
        w->fake.messages.empty() ? w->fake.questions.back() : w->fake.messages.back();
    EXPECT_NE(said.find(c.name), std::string::npos) << said;
    EXPECT_EQ((*w)->song().RTB_Raw.Text(), QStringLiteral("keep me")) << c.name;
    EXPECT_EQ(w->Find<QTextEdit>("RTB_Raw")->toPlainText(), QStringLiteral("keep me")) << c.name;
  }
}

TEST_F(ProjectTab, AnUnreadableProjectIsReportedAndChangesNothing) {
  auto w = Open_Window();
  (*w)->song().RTB_Raw.Set_Text(QStringLiteral("keep me"));
  const std::string folder = File("folder.cgp");
  std::filesystem::create_directory(folder);
  w->fake.files.push_back(folder);
  w->fake.answers.push_back(Answer::No);
  w->Click("But_Open");
  ASSERT_EQ(w->fake.messages.size(), 1u);
  EXPECT_EQ(w->fake.messages[0], "File '" + folder + "' does not exist!");
  EXPECT_EQ((*w)->song().RTB_Raw.Text(), QStringLiteral("keep me"));
}

TEST_F(ProjectTab, SavedProjectsAreOfferedAgainNewestFirst) {
  auto w = Open_Window();
  for (const char* name : {"one.cgp", "two.cgp", "one.cgp"}) {
    w->fake.files.push_back(File(name));
    w->Click("But_SaveAs");
  }
  QStringList recent = Recent_Projects();
  ASSERT_GE(recent.size(), 2);
  EXPECT_EQ(recent[0], QString::fromStdString(File("one.cgp")));
  EXPECT_EQ(recent[1], QString::fromStdString(File("two.cgp")));
  EXPECT_EQ(recent.count(QString::fromStdString(File("one.cgp"))), 1);

  auto fresh = Open_Window();
  fresh->fake.answers.push_back(Answer::No);
  auto* list = fresh->Find<QListWidget>("Lst_Recent");
  ASSERT_GE(list->count(), 2);
  emit list->itemActivated(list->item(1));
  EXPECT_EQ((*fresh)->song().Project_File, File("two.cgp"));
  EXPECT_EQ(Recent_Projects()[0], QString::fromStdString(File("two.cgp")));
}

TEST_F(ProjectTab, TheRecentListKeepsItsCapacity) {
  for (int i = 0; i < Recent_Projects_Capacity + 3; ++i)
    Remember_Project(QString::fromStdString(File("p" + std::to_string(i) + ".cgp")));
  const QStringList recent = Recent_Projects();
  ASSERT_EQ(recent.size(), Recent_Projects_Capacity);
  EXPECT_EQ(recent.front(),
            QString::fromStdString(File("p" + std::to_string(Recent_Projects_Capacity + 2) + ".cgp")));
}

struct Close_Case {
  const char* name;
  std::vector<Answer> answers;
  bool save_dialog_answered;
  bool closes;
  bool saved;
};

class CloseQuestion : public Window_Test, public ::testing::WithParamInterface<Close_Case> {};

TEST_P(CloseQuestion, AnswersDecideWhetherTheWindowCloses) {
  const Close_Case& c = GetParam();
  auto w = Open_Window();
  w->Show_Tab(1);
  QTest::keyClicks(w->Find<QTextEdit>("RTB_Raw"), QStringLiteral("unsaved"));
  for (Answer a : c.answers) w->fake.answers.push_back(a);
  if (c.save_dialog_answered) w->fake.files.push_back(File("closing.cgp"));
  const bool closed = (*w)->close();
  EXPECT_EQ(closed, c.closes);
  ASSERT_EQ(w->fake.questions.size(), 1u);
  EXPECT_EQ(w->fake.questions[0], "Do you want to save the changes to your project?");
  EXPECT_EQ(std::filesystem::exists(File("closing.cgp")), c.saved);
  if (c.saved) EXPECT_NE(Read_File(File("closing.cgp")).find("unsaved"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Window, CloseQuestion,
    ::testing::Values(Close_Case{"Yes", {Answer::Yes}, true, true, true},
                      Close_Case{"YesButTheSaveDialogIsCancelled", {Answer::Yes}, false, false, false},
                      Close_Case{"No", {Answer::No}, false, true, false},
                      Close_Case{"Cancel", {Answer::Cancel}, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProjectTab, ClosingWithoutChangesAsksNothing) {
  auto w = Open_Window();
  EXPECT_TRUE((*w)->close());
  EXPECT_TRUE(w->fake.questions.empty());
}

}  // namespace
}  // namespace lyricanvas::testing
