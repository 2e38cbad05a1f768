// The main window and its project tab: keyboard reachability, start-up with missing files
// and fonts, saving and opening projects, the close question, recovery of a killed program's
// work, and the real program started as a user would.
#include "app/window/main_window.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <cstdlib>
#include <map>

#include "app/window/colors_tab.h"
#include "app/window/dialogs.h"
#include "app/window/project_tab.h"
#include "app/window/recent_projects.h"
#include "app/window/recovery.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using MainWindow = Window_Test;
using namespace std::string_literals;

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

TEST_F(MainWindow, StartUpReplacesAMissingFontAndLeavesAnEmptyWindowForAMissingProject) {
  auto w = Open_Window();
  Font_Rec missing = w->song().RTB_Raw.Default_Font();
  missing.Font_Name = QStringLiteral("No Such Font");
  w->song().RTB_Raw.Set_Default_Font(missing);
  Font_Rec installed = missing, also_missing = missing;
  installed.Font_Name = QStringLiteral("dejavu sans");  // names match without regard to case
  also_missing.Font_Name = QStringLiteral("Still Missing");
  w->fake.fonts = {std::nullopt, also_missing, installed};
  (*w)->Start_Up("\"" + File("gone.cgp") + "\"");
  const std::string again = "Sorry, but you HAVE to select an available font!";
  EXPECT_EQ(w->fake.messages, (std::vector<std::string>{
                                  "The default font of Lyricanvas (No Such Font) isn't "
                                  "available on this system. Please select another font!",
                                  again, again, "Could not find file " + File("gone.cgp") + "!"}));
  EXPECT_EQ(w->song().RTB_Raw.Default_Font().Font_Name, QStringLiteral("dejavu sans"));
  EXPECT_EQ(w->Find<QComboBox>("Com_Font")->currentText(), QStringLiteral("dejavu sans"));
  EXPECT_EQ((*w)->windowTitle(),
            QStringLiteral(" Lyricanvas Karaoke Authoring Tool Version 1.0.20 - No project open"));
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

// The real program: started as a user would, it shows its window and quits when asked; on a
// virtual X display when there is one, so the window goes through a real display server.
TEST_F(MainWindow, TheProgramShowsItsWindowWithAProjectAndQuits) {
  Write_File(File("song.txt"), "Just some lyrics");
  const bool x = Run_Command("command -v xvfb-run").exit_code == 0;
  const Command_Result r = Run_Command(
      "LYRICANVAS_STARTUP_REPORT=quit XDG_CONFIG_HOME='" + File("config") + "' XDG_DATA_HOME='" +
      File("data") + "' timeout 30 " + (x ? "env -u QT_QPA_PLATFORM xvfb-run -a " : "") +
      "'" LYRICANVAS_PROGRAM "' '" + File("song.txt") + "' 2>&1");
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(QString::fromStdString(r.output).contains(
      QRegularExpression(QStringLiteral("first paint after [0-9.]+ ms"))))
      << r.output;
}

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

TEST_F(MainWindow, WhatTheUserSetsIsWhatAFreshWindowOpens) {
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
  (*w)->Write_Recovery_Copy();
  w->fake.files = {love, File("other.cgp"), love};  // saved again under a name used before
  for (const char* button : {"But_Save", "But_SaveAs", "But_SaveAs"}) w->Click(button);
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
      ASSERT_EQ(list->item(0)->data(Qt::UserRole).toString().toStdString(), love);  // newest
      EXPECT_EQ(list->item(1)->data(Qt::UserRole).toString(), Q_File("other.cgp"));
      EXPECT_EQ(Recent_Projects().count(Q_File("love.cgp")), 1);
      emit list->itemActivated(list->item(0));
    } else {
      (*fresh)->Start_Up(opening);
    }
    ASSERT_TRUE(fresh->fake.messages.empty()) << fresh->fake.messages[0];
    EXPECT_TRUE((*fresh)->windowTitle().endsWith(QStringLiteral(" - love.cgp"))) << opening;
    const Song& opened = fresh->song();
    EXPECT_EQ(opened.RTB_Raw.Text(), QStringLiteral("Hello my love\r\nla"));
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

TEST_F(MainWindow, ABrokenFileLeavesTheOpenProjectAsItWas) {
  using Bytes = std::optional<std::string>;  // none: a folder
  for (const auto& [name, bytes] : std::vector<std::pair<const char*, Bytes>>{
           {"broken.cgp", "{\\rtf1 la<properties>\xfe<x=1>field:1,2,999999:ab"s},
           {"broken.mid", "MThd\x00\x00\x00\x06\x00"s},
           {"broken.rtf", "{\\rtf1{\\pict\\dibitmap0 zz"s},
           {"old.cgp", "\204abc"s},
           {"folder.cgp", std::nullopt}}) {
    auto w = Open_Window();
    w->song().RTB_Raw.Set_Text(QStringLiteral("keep me"));
    if (bytes)
      Write_File(File(name), *bytes);
    else
      std::filesystem::create_directory(File(name));
    w->fake.files.push_back(File(name));
    w->fake.answers.push_back(Answer::No);
    w->Click("But_Open");
    // The reader's message, or its question whether to open what could be read (answered No).
    ASSERT_FALSE(w->fake.messages.empty() && w->fake.questions.size() < 2) << name;
    const std::string said =
        w->fake.messages.empty() ? w->fake.questions.back() : w->fake.messages.back();
    EXPECT_NE(said.find(name), std::string::npos) << said;
    if (!bytes) {
      EXPECT_EQ(w->fake.messages, std::vector{"File '" + File(name) + "' does not exist!"});
    }
    EXPECT_EQ(w->song().RTB_Raw.Text(), QStringLiteral("keep me")) << name;
    EXPECT_EQ(w->Editor()->toPlainText(), QStringLiteral("keep me")) << name;
  }
}

TEST_F(MainWindow, TheCloseQuestionsAnswerDecidesWhetherTheWindowCloses) {
  // Unsaved work is asked about; with nothing to save nothing may be asked.
  for (auto [name, answer, save_dialog_answered, closes] :
       std::vector<std::tuple<const char*, std::optional<Answer>, bool, bool>>{
           {"yes", Answer::Yes, true, true},
           {"yes, save dialog cancelled", Answer::Yes, false, false},
           {"no", Answer::No, false, true},
           {"cancel", Answer::Cancel, false, false},
           {"nothing to save", std::nullopt, false, true}}) {
    auto w = Open_Window();
    if (answer) w->Type_Lyrics(QStringLiteral("unsaved"));
    if (answer) w->fake.answers.push_back(*answer);
    if (save_dialog_answered) w->fake.files.push_back(File(name));
    (*w)->Write_Recovery_Copy();  // only unsaved work has one
    EXPECT_EQ((*w)->recovery().Has_Copy(), answer.has_value()) << name;
    EXPECT_EQ((*w)->close(), closes) << name;
    EXPECT_EQ((*w)->recovery().Has_Copy(), !closes) << name;
    EXPECT_EQ(w->fake.questions.size(), answer ? 1u : 0u) << name;
    if (answer) {
      EXPECT_EQ(w->fake.questions[0], "Do you want to save the changes to your project?");
    }
    EXPECT_EQ(std::filesystem::exists(File(name)), save_dialog_answered) << name;
    if (save_dialog_answered) {
      EXPECT_NE(Read_File(File(name)).find("unsaved"), std::string::npos);
    }
  }
}

constexpr char Child_Folder_Variable[] = "LYRICANVAS_TEST_RECOVERY_FOLDER";
constexpr char Lost_Words[] = "words that were never saved";

/// Runs in a child process: types into a window until its recovery copy is on disk, then
/// waits to be killed.
TEST(RecoveryChild, TypesAndWaitsToBeKilled) {
  const char* folder = std::getenv(Child_Folder_Variable);
  if (!folder)
    GTEST_SKIP() << "runs only as the child of AKilledProgramsWorkComesBackUnlessDeclined";
  Window_Under_Test w(folder, 50);
  w.song().Project_File = std::string(folder) + "/../song.cgp";
  w.Show_Tab(1);
  w.Editor()->clear();
  w.Type_Lyrics(QString::fromLatin1(Lost_Words));
  Wait_Until([&] { return w->recovery().Has_Copy(); });
  for (;;) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
}

TEST_F(MainWindow, AKilledProgramsWorkComesBackUnlessDeclined) {
  const std::string folder = File("recovery");
  std::filesystem::create_directories(folder);
  const auto has_copy_file = [&] {
    return std::ranges::any_of(std::filesystem::directory_iterator(folder), [](const auto& entry) {
      return entry.path().extension() == ".cgp";
    });
  };
  for (Answer answer : {Answer::No, Answer::Yes}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv(Child_Folder_Variable, folder.c_str(), 1);
      freopen("/dev/null", "w", stdout);
      const std::string self = QCoreApplication::applicationFilePath().toStdString();
      execl(self.c_str(), self.c_str(), "--gtest_filter=RecoveryChild.TypesAndWaitsToBeKilled",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    const bool written = Wait_Until(has_copy_file, 30'000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(written);

    auto w = Open_Window();
    w->fake.answers.push_back(answer);
    (*w)->Start_Up("");
    ASSERT_EQ(w->fake.questions.size(), 1u);
    EXPECT_NE(w->fake.questions[0].find("song.cgp"), std::string::npos);
    if (answer == Answer::No) {  // the copy goes with the work
      EXPECT_NE(w->song().RTB_Raw.Text(), QString::fromLatin1(Lost_Words));
      EXPECT_FALSE(has_copy_file());
      continue;
    }
    EXPECT_EQ(w->song().RTB_Raw.Text(), QString::fromLatin1(Lost_Words));
    EXPECT_EQ(std::filesystem::path(w->song().Project_File).filename(), "song.cgp");
    EXPECT_TRUE((*w)->Unsaved_Changes());
    // The old copy is gone; the restored work has a copy of this window instead.
    EXPECT_TRUE((*w)->recovery().Has_Copy());
    auto again = Open_Window();
    again->fake.answers.push_back(Answer::Yes);
    again->window->Start_Up("");
    EXPECT_TRUE(again->fake.questions.empty());  // the running window's copy is not an orphan
  }
}

}  // namespace
}  // namespace lyricanvas::testing
