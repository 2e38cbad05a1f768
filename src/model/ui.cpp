#include "model/ui.h"

#include <cstdio>

namespace lyricanvas {

Ui Ui::Console() {
  Ui ui;
  ui.message = [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };
  ui.ask = [](const std::string& question, bool with_cancel) {
    std::fprintf(stderr, "%s\n", question.c_str());
    return with_cancel ? Answer::Cancel : Answer::No;
  };
  return ui;
}

void Show_Message(const Ui& ui, const std::string& text) {
  if (ui.message) ui.message(text);
}

Answer Ask(const Ui& ui, const std::string& question, bool with_cancel) {
  if (ui.ask) return ui.ask(question, with_cancel);
  return with_cancel ? Answer::Cancel : Answer::No;
}

void Debug_Log(const Ui& ui, const std::string& line) {
  if (ui.debug_log) ui.debug_log(line);
}

void Set_Status(const Ui& ui, const std::string& status) {
  if (ui.status) ui.status(status);
}

void Process_Events(const Ui& ui) {
  if (ui.process_events) ui.process_events();
}

void Focus(const Ui& ui, const std::string& control) {
  if (ui.focus) ui.focus(control);
}

bool Cancel_Requested(const Ui& ui) { return ui.cancelled && ui.cancelled(); }

}  // namespace lyricanvas
