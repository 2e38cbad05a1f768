#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

std::size_t First_Difference(const std::string& a, const std::string& b) {
  if (a == b) return std::string::npos;
  return static_cast<std::size_t>(std::ranges::mismatch(a, b).in1 - a.begin());
}

void Expect_Golden(const std::string& relative, std::string bytes, const std::string& scratch) {
  for (std::size_t at; !scratch.empty() && (at = bytes.find(scratch)) != std::string::npos;)
    bytes.replace(at, scratch.size(), "$TMP");
  const std::filesystem::path golden = Test_Data(relative);
  if (std::getenv("LYRICANVAS_APPROVE_GOLDEN")) {
    std::filesystem::create_directories(golden.parent_path());
    return Write_File(golden.string(), bytes);
  }
  const std::size_t at = First_Difference(bytes, Read_File(golden.string()));
  if (at == std::string::npos) return;
  const std::filesystem::path fresh = std::filesystem::temp_directory_path() / golden.filename();
  Write_File(fresh.string(), bytes);
  ADD_FAILURE() << relative << " differs from its golden from line "
                << 1 + std::count(bytes.begin(), bytes.begin() + static_cast<long>(at), '\n')
                << " (byte " << at << ") on; the new output is " << fresh.string();
}

}  // namespace lyricanvas::testing
