#include "support/test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

namespace lyricanvas::testing {

Ui Recording_Ui::ui() {
  Ui u;
  u.message = [this](const std::string& text) { messages.push_back(text); };
  u.ask = [this](const std::string& question, bool) {
    questions.push_back(question);
    if (answers.empty()) return Answer::No;
    Answer a = answers.front();
    answers.erase(answers.begin());
    return a;
  };
  u.focus = [this](const std::string& control) { focused.push_back(control); };
  u.status = [this](const std::string& status) { statuses.push_back(status); };
  u.debug_log = [this](const std::string& line) { log.push_back(line); };
  return u;
}

Temp_Dir::Temp_Dir() {
  std::random_device rd;
  path = std::filesystem::temp_directory_path() /
         ("lyricanvas-test-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(path);
}

Temp_Dir::~Temp_Dir() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

Command_Result Run_Command(const std::string& command) {
  Command_Result result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
    result.output.append(buffer, n);
  int status = pclose(pipe);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

Font_Rec Make_Font(const char* name, double size, bool bold, bool italic, bool underline) {
  return {name, size, bold, italic, true, true, underline, true};
}

std::string Read_File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write_File(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Test_Data(const std::string& relative) {
  return std::string(LYRICANVAS_TEST_DATA) + "/" + relative;
}

}  // namespace lyricanvas::testing
