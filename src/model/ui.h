#pragma once
// The program's voice towards the user: messages, questions, progress and the diagnostic trace.
// The GUI fills these callbacks with dialogs, the command-line tool prints and answers from its
// flags, tests record every call. Every fixed text the program shows goes through here verbatim.
#include <functional>
#include <string>

namespace lyricanvas {

enum class Answer { Yes, No, Cancel };

struct Ui {
  std::function<void(const std::string& text)> message;
  std::function<Answer(const std::string& question, bool with_cancel)> ask;
  std::function<void(const std::string& control)> focus;  ///< put the focus on a named control
  std::function<void(const std::string& status)> status;  ///< the phase a long run is in
  std::function<void()> process_events;                   ///< let pending window events run
  std::function<void(const std::string& line)> debug_log;
  std::function<bool()> cancelled;  ///< true once the user asked a long run to stop

  /// Messages go to stderr, questions are answered No (or Cancel), nothing else is said.
  static Ui Console();
};

void Show_Message(const Ui& ui, const std::string& text);
Answer Ask(const Ui& ui, const std::string& question, bool with_cancel = false);
void Debug_Log(const Ui& ui, const std::string& line);
void Set_Status(const Ui& ui, const std::string& status);
void Process_Events(const Ui& ui);
void Focus(const Ui& ui, const std::string& control);
/// Whether the user asked the long run in progress to stop.
bool Cancel_Requested(const Ui& ui);

}  // namespace lyricanvas
