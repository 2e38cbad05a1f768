#pragma once
// A main window driven as a user would, its dialogs answered from queues and recorded.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/window/main_window.h"
#include "support/test_support.h"

namespace lyricanvas::testing {

/// The front of a queue of answers, or what a cancelled dialog gives when it is empty.
template <class T>
T Pop(std::deque<T>& queue, T cancelled) {
  if (!queue.empty()) {
    cancelled = std::move(queue.front());
    queue.pop_front();
  }
  return cancelled;
}

struct Fake_Dialogs {
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<Answer> answers;  ///< No (or Cancel when offered) when empty
  std::deque<std::string> files;
  std::vector<File_Dialog_Request> file_requests;
  std::deque<Dialog_Color> colors;
  std::deque<std::optional<Font_Rec>> fonts;
  Dialogs dialogs() {
    Dialogs d;
    d.message = [this](const std::string& text) { messages.push_back(text); };
    d.ask = [this](const std::string& question, bool with_cancel) {
      questions.push_back(question);
      return Pop(answers, with_cancel ? Answer::Cancel : Answer::No);
    };
    d.file = [this](const File_Dialog_Request& request) {
      file_requests.push_back(request);
      return Pop(files, std::string());
    };
    d.color = [this](Dialog_Color, std::string&) { return Pop(colors, Dialog_Color{-1}); };
    d.font = [this](const Font_Rec& initial) {
      if (!fonts.empty()) return Pop(fonts, std::optional<Font_Rec>());
      ADD_FAILURE() << "unexpected font dialog";  // answered with an installed font, not a hang
      Font_Rec installed = initial;
      installed.Font_Name = QStringLiteral("DejaVu Sans");
      return std::optional(installed);
    };
    return d;
  }
};

/// Selects the characters [from, to) of an editor as a user would drag over them.
inline void Select(QTextEdit* editor, int from, int to) {
  QTextCursor cursor = editor->textCursor();
  cursor.setPosition(from);
  cursor.setPosition(to, QTextCursor::KeepAnchor);
  editor->setTextCursor(cursor);
}

/// Lets window events run until done() holds or timeout_ms passed; returns done().
template <class Done>
bool Wait_Until(Done done, int timeout_ms = 20'000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeout_ms)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

/// A window with fake dialogs and its recovery copy in the given folder.
struct Window_Under_Test {
  explicit Window_Under_Test(const std::string& recovery_folder, int recovery_ms = 60'000) {
    window = std::make_unique<Main_Window>(
        Window_Options{QString::fromStdString(recovery_folder), recovery_ms});
    window->Set_Dialogs(fake.dialogs());
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  Main_Window* operator->() { return window.get(); }
  Song& song() { return window->song(); }
  template <class T = QWidget>
  T* Find(const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  QTextEdit* Editor() { return Find<QTextEdit>("RTB_Raw"); }
  void Click(const char* name) {
    auto* button = Find<QAbstractButton>(name);
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  /// Replaces the text of a line edit by typing it.
  void Type_Into(const char* name, const QString& text) {
    auto* box = Find<QLineEdit>(name);
    ASSERT_NE(box, nullptr) << name;
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
  }
  /// Types at the end of the lyrics on their tab.
  void Type_Lyrics(const QString& text) {
    Show_Tab(1);
    Editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(Editor(), text);
  }
  void Show_Tab(int index) { window->tabs()->setCurrentIndex(index); }
  Fake_Dialogs fake;
  std::unique_ptr<Main_Window> window;
};

/// A scratch folder and a window keeping its recovery copy there.
struct Window_Test : ::testing::Test {
  Temp_Dir dir;
  std::string File(const std::string& name) const { return dir.File(name); }
  QString Q_File(const std::string& name) const { return QString::fromStdString(File(name)); }
  std::unique_ptr<Window_Under_Test> Open_Window() {
    return std::make_unique<Window_Under_Test>(dir.File("recovery"));
  }
};

}  // namespace lyricanvas::testing
