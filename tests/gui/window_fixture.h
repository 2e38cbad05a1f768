#pragma once
// A main window driven as a user would, with its dialogs answered by the test: messages and
// questions are recorded, answers and chosen files come from queues.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/window/main_window.h"
#include "support/test_support.h"

namespace lyricanvas::testing {

struct Fake_Dialogs {
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<Answer> answers;          ///< No when empty
  std::deque<std::string> files;       ///< "" (cancel) when empty
  std::vector<File_Dialog_Request> file_requests;
  std::deque<Dialog_Color> colors;     ///< -1 (cancel) when empty
  std::deque<std::string> custom_edits;  ///< custom colours the "user" leaves in the dialog
  std::deque<std::optional<Font_Rec>> fonts;
  Dialogs dialogs();
};

/// A window with fake dialogs and its recovery copy in a scratch folder.
struct Window_Under_Test {
  explicit Window_Under_Test(const std::string& recovery_folder, int recovery_ms = 60'000);
  ~Window_Under_Test();
  Main_Window& operator*() { return *window; }
  Main_Window* operator->() { return window.get(); }
  template <class T>
  T* Find(const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
  /// Clicks a button by its object name.
  void Click(const char* name);
  /// Replaces the text of a line edit by typing it.
  void Type_Into(const char* name, const QString& text);
  void Show_Tab(int index);

  Fake_Dialogs fake;
  std::unique_ptr<Main_Window> window;
};

/// Lets window events run until done() holds or timeout_ms passed; returns done().
template <class Done>
bool Wait_Until(Done done, int timeout_ms = 20'000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeout_ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

/// A scratch folder and a window in it.
struct Window_Test : ::testing::Test {
  Temp_Dir dir;
  std::string File(const std::string& name) const { return dir.File(name); }
  std::unique_ptr<Window_Under_Test> Open_Window(int recovery_ms = 60'000) {
    return std::make_unique<Window_Under_Test>(dir.File("recovery"), recovery_ms);
  }
};


inline Dialogs Fake_Dialogs::dialogs() {
  Dialogs d;
  d.message = [this](const std::string& text) { messages.push_back(text); };
  d.ask = [this](const std::string& question, bool with_cancel) {
    questions.push_back(question);
    if (answers.empty()) return with_cancel ? Answer::Cancel : Answer::No;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  };
  d.file = [this](const File_Dialog_Request& request) {
    file_requests.push_back(request);
    if (files.empty()) return std::string();
    std::string file = files.front();
    files.pop_front();
    return file;
  };
  d.color = [this](Dialog_Color, std::string& custom) {
    if (!custom_edits.empty()) {
      custom = custom_edits.front();
      custom_edits.pop_front();
    }
    if (colors.empty()) return Dialog_Color{-1};
    Dialog_Color color = colors.front();
    colors.pop_front();
    return color;
  };
  d.font = [this](const Font_Rec&) {
    if (fonts.empty()) return std::optional<Font_Rec>();
    std::optional<Font_Rec> font = std::move(fonts.front());
    fonts.pop_front();
    return font;
  };
  return d;
}

inline Window_Under_Test::Window_Under_Test(const std::string& recovery_folder, int recovery_ms) {
  Window_Options options;
  options.recovery_folder = QString::fromStdString(recovery_folder);
  options.recovery_interval_ms = recovery_ms;
  window = std::make_unique<Main_Window>(options);
  window->Set_Dialogs(fake.dialogs());
  window->show();
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

inline Window_Under_Test::~Window_Under_Test() = default;

inline void Window_Under_Test::Click(const char* name) {
  auto* button = Find<QAbstractButton>(name);
  ASSERT_NE(button, nullptr) << name;
  ASSERT_TRUE(button->isEnabled()) << name;
  QTest::mouseClick(button, Qt::LeftButton);
}

inline void Window_Under_Test::Type_Into(const char* name, const QString& text) {
  auto* box = Find<QLineEdit>(name);
  ASSERT_NE(box, nullptr) << name;
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
}

inline void Window_Under_Test::Show_Tab(int index) { window->tabs()->setCurrentIndex(index); }

}  // namespace lyricanvas::testing
