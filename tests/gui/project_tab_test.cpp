#include "app/window/project_tab.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QListWidget>

#include "app/window/colors_tab.h"
#include "app/window/recent_projects.h"
#include "app/window/recovery.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using ProjectTab = Window_Test;
using namespace std::string_literals;

/// Sets a saved control through its widget as the user would; value is in the store's form.
void Set_By_User(Window_Under_Test& w, const char* name, const char* value) {
  if (auto* box = w.Find<QCheckBox>(name)) {
    if (Widget_Value(box) != value) box->click();
  } else if (auto* combo = w.Find<QComboBox>(name)) {
    combo->setCurrentText(QString::fromLatin1(value));
  } else {
    w.Type_Into(name, QString::fromLatin1(value));
  }
}

QFrame* Swatch(Window_Under_Test& w, int k) {
  return w.Find<QFrame>(("Sha_Color_" + std::to_string(k)).c_str());
}

TEST_F(ProjectTab, WhatTheUserSetsIsWhatAFreshWindowOpens) {
  auto w = Open_Window();
  // Palette entry 6 changed by a double-click, 15 by Enter on its swatch.
  w->Show_Tab(4);
  w->fake.colors = {136 + 256 * 68, 17 + 256 * 255};  // red + 256 green + 65536 blue
  QTest::mouseDClick((*w)->colors_tab(), Qt::LeftButton, {}, Swatch(*w, 6)->geometry().center());
  Swatch(*w, 15)->setFocus();
  QTest::keyClick(Swatch(*w, 15), Qt::Key_Return);
  EXPECT_TRUE(Swatch(*w, 6)->styleSheet().contains(QStringLiteral("#884400")));
  EXPECT_TRUE((*w)->Unsaved_Changes());
  w->Show_Tab(1);
  w->Editor()->clear();
  w->Show_Tab(0);
  EXPECT_FALSE(w->Find("But_Save")->isEnabled());  // nothing to save yet
  EXPECT_FALSE(w->Find("But_SaveAs")->isEnabled());
  w->Type_Lyrics(QStringLiteral("Hello my love"));
  QTest::keyClick(w->Editor(), Qt::Key_Return);
  w->Type_Lyrics(QStringLiteral("la"));
  Select(w->Editor(), 6, 8);  // "my" becomes the male singer's
  w->Editor()->setTextColor(QColor(w->song().Singers[2].Text_Color));
  const std::vector<std::pair<const char*, const char*>> set = {
      {"Txt_TotalTime", "2:30"},   {"txt_lines_on_screen", "4"}, {"Txt_Source_2", "1:00"},
      {"Com_FadingStyle", "None"}, {"Chk_Blank", "1"},           {"Chk_AutoScroll", "0"},
      {"Txt_KeyDelay", "120"},     {"Chk_incremental_save", "1"}};
  for (const auto& [name, value] : set) Set_By_User(*w, name, value);
  w->Show_Tab(0);
  EXPECT_TRUE(w->Find("But_SaveAs")->isEnabled());
  EXPECT_TRUE((*w)->Unsaved_Changes());
  const std::string love = File("love.cgp");
  w->fake.files.push_back(love);
  (*w)->Write_Recovery_Copy();
  w->Click("But_Save");
  ASSERT_TRUE(w->fake.messages.empty()) << w->fake.messages[0];
  EXPECT_FALSE((*w)->Unsaved_Changes());
  EXPECT_FALSE((*w)->recovery().Has_Copy());  // a clean save leaves no copy to restore
  EXPECT_TRUE((*w)->windowTitle().endsWith(QStringLiteral(" - love.cgp")));
  const std::string saved = Read_File(love);
  for (const char* tags :
       {"<color_6_1=8><color_6_2=4><color_6_3=0>", "<color_15_1=1><color_15_2=15><color_15_3=0>"})
    EXPECT_NE(saved.find(tags), std::string::npos) << tags;

  // Opened by the button, from the recent list and named on the command line, quoted or not.
  for (const std::string& opening : {"button"s, "list"s, love, "\"" + love + "\""}) {
    auto fresh = Open_Window();
    fresh->fake.answers.push_back(Answer::No);  // the welcome text is not worth saving
    fresh->fake.files.push_back(love);
    auto* list = fresh->Find<QListWidget>("Lst_Recent");
    if (opening == "button") {
      fresh->Click("But_Open");
    } else if (opening == "list") {
      ASSERT_EQ(list->item(0)->data(Qt::UserRole).toString().toStdString(), love);
      emit list->itemActivated(list->item(0));
    } else {
      (*fresh)->Start_Up(opening);
    }
    ASSERT_TRUE(fresh->fake.messages.empty()) << fresh->fake.messages[0];
    EXPECT_TRUE((*fresh)->windowTitle().endsWith(QStringLiteral(" - love.cgp"))) << opening;
    const Song& opened = fresh->song();
    EXPECT_EQ(opened.RTB_Raw.Text(), QStringLiteral("Hello my love\r\nla"));
    EXPECT_EQ(fresh->Editor()->toPlainText(), QStringLiteral("Hello my love\nla"));
    EXPECT_EQ(opened.RTB_Raw.Color(6, 2), w->song().Singers[2].Text_Color);
    EXPECT_EQ(opened.RTB_Raw.Color(0, 5), w->song().Singers[1].Text_Color);
    EXPECT_EQ(opened.Palette, w->song().Palette);
    EXPECT_TRUE(Swatch(*fresh, 6)->styleSheet().contains(QStringLiteral("#884400")));
    EXPECT_EQ(opened.Window_Controls, w->song().Window_Controls);
    for (const auto& [name, value] : set) EXPECT_EQ(Widget_Value(fresh->Find(name)), value);
    for (const Control& control : opened.Window_Controls.All()) {  // every one shows its value
      QWidget* widget = fresh->Find(Controls::Key(control).c_str());
      ASSERT_NE(widget, nullptr) << Controls::Key(control);
      EXPECT_EQ(Widget_Value(widget), control.Value) << Controls::Key(control);
    }
    EXPECT_FALSE((*fresh)->Unsaved_Changes());
    fresh->Type_Lyrics(QStringLiteral("!"));  // the editor edits the opened project
    EXPECT_EQ(opened.RTB_Raw.Text(), QStringLiteral("Hello my love\r\nla!"));
    EXPECT_TRUE((*fresh)->Unsaved_Changes());
  }
}

TEST_F(ProjectTab, ABrokenFileLeavesTheOpenProjectAsItWas) {
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  ///< none: a folder
  };
  for (const Case& c : {Case{"broken.cgp", "{\\rtf1 la<properties>\xfe<x=1>field:1,2,999999:ab"s},
                        Case{"broken.mid", "MThd\x00\x00\x00\x06\x00"s},
                        Case{"broken.rtf", "{\\rtf1{\\pict\\dibitmap0 zz"s},
                        Case{"old.cgp", "\204abc"s}, Case{"folder.cgp", std::nullopt}}) {
    auto w = Open_Window();
    w->song().RTB_Raw.Set_Text(QStringLiteral("keep me"));
    if (c.bytes)
      Write_File(File(c.name), *c.bytes);
    else
      std::filesystem::create_directory(File(c.name));
    w->fake.files.push_back(File(c.name));
    w->fake.answers.push_back(Answer::No);
    w->Click("But_Open");
    // The reader's message, or its question whether to open what could be read (answered No).
    ASSERT_FALSE(w->fake.messages.empty() && w->fake.questions.size() < 2) << c.name;
    const std::string said =
        w->fake.messages.empty() ? w->fake.questions.back() : w->fake.messages.back();
    EXPECT_NE(said.find(c.name), std::string::npos) << said;
    if (!c.bytes) {
      EXPECT_EQ(w->fake.messages, std::vector{"File '" + File(c.name) + "' does not exist!"});
    }
    EXPECT_EQ(w->song().RTB_Raw.Text(), QStringLiteral("keep me")) << c.name;
    EXPECT_EQ(w->Editor()->toPlainText(), QStringLiteral("keep me")) << c.name;
  }
}

TEST_F(ProjectTab, SavedProjectsAreOfferedAgainNewestFirst) {
  auto w = Open_Window();
  for (const char* name : {"one.cgp", "two.cgp", "one.cgp"}) {
    w->fake.files.push_back(File(name));
    w->Click("But_SaveAs");
  }
  EXPECT_EQ(Recent_Projects().count(Q_File("one.cgp")), 1);

  auto fresh = Open_Window();
  fresh->fake.answers.push_back(Answer::No);
  auto* list = fresh->Find<QListWidget>("Lst_Recent");
  ASSERT_GE(list->count(), 2);
  emit list->itemActivated(list->item(1));  // the newest first: two.cgp
  EXPECT_EQ(fresh->song().Project_File, File("two.cgp"));
  EXPECT_EQ(Recent_Projects()[0], Q_File("two.cgp"));
}

TEST_F(ProjectTab, TheCloseQuestionsAnswerDecidesWhetherTheWindowCloses) {
  struct Case {
    const char* name;
    bool edited;
    std::optional<Answer> answer;  ///< none: nothing may be asked
    bool save_dialog_answered, closes;
  };
  for (const Case& c : {Case{"yes", true, Answer::Yes, true, true},
                        Case{"yes, save dialog cancelled", true, Answer::Yes, false, false},
                        Case{"no", true, Answer::No, false, true},
                        Case{"cancel", true, Answer::Cancel, false, false},
                        Case{"nothing to save", false, std::nullopt, false, true}}) {
    auto w = Open_Window();
    if (c.edited) w->Type_Lyrics(QStringLiteral("unsaved"));
    if (c.answer) w->fake.answers.push_back(*c.answer);
    if (c.save_dialog_answered) w->fake.files.push_back(File(c.name));
    (*w)->Write_Recovery_Copy();
    EXPECT_EQ((*w)->recovery().Has_Copy(), c.edited) << c.name;  // only unsaved work has one
    EXPECT_EQ((*w)->close(), c.closes) << c.name;
    EXPECT_EQ((*w)->recovery().Has_Copy(), !c.closes) << c.name;
    EXPECT_EQ(w->fake.questions.size(), c.answer ? 1u : 0u) << c.name;
    if (c.answer) {
      EXPECT_EQ(w->fake.questions[0], "Do you want to save the changes to your project?");
    }
    EXPECT_EQ(std::filesystem::exists(File(c.name)), c.save_dialog_answered) << c.name;
    if (c.save_dialog_answered) {
      EXPECT_NE(Read_File(File(c.name)).find("unsaved"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace lyricanvas::testing
