#include "app/cli_files.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace lyricanvas::cli {

std::string Input_Problem(const std::string& path, std::uint64_t max_bytes) {
  std::string reason;
  int fd = Open_Input_File(path, max_bytes, reason);
  if (fd < 0) return "cannot read '" + path + "': " + reason;
  ::close(fd);
  return {};
}

std::string Output_Problem(const std::string& output, const std::vector<std::string>& inputs,
                           bool replace) {
  if (output == Standard_Output) return {};
  if (std::string kind = Special_File_Kind(Link_Target(output)); !kind.empty())
    return "cannot write '" + output + "': it is " + kind + ", not a regular file";
  for (const std::string& input : inputs)
    if (Same_File(output, input))
      return "the output '" + output + "' is the input file '" + input +
             "' itself; choose another output";
  std::error_code code;
  if (!replace && std::filesystem::exists(output, code))
    return "'" + output + "' already exists; give --yes to replace it";
  return {};
}

Ui Answering_Ui(bool yes, const char* yes_text) {
  Ui ui = Ui::Console();
  ui.ask = [yes, yes_text](const std::string& question, bool) {
    std::fprintf(stderr, "%s %s\n", question.c_str(), yes ? yes_text : "No");
    return yes ? Answer::Yes : Answer::No;
  };
  return ui;
}

Ui Reading_Ui(bool force) { return Answering_Ui(force, "Yes (--force)"); }

bool Has_Extension(const std::string& path, const std::string& extension) {
  return path.size() >= extension.size() &&
         std::equal(extension.begin(), extension.end(), path.end() - static_cast<std::ptrdiff_t>(extension.size()),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace lyricanvas::cli
