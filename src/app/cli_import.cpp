// lyricanvas-cli import: turns anything "Open Project..." accepts (projects new and old, lyrics
// text, RTF, MIDI and KAR files) into a project file.
#include <cstdio>

#include "app/cli.h"
#include "project/project_file.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage = "import INPUT -o OUT.cgp";

int Import(const std::vector<std::string>& args) {
  std::string input, output;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size()) output = args[++i];
    else if (input.empty() && !args[i].starts_with("-")) input = args[i];
    else {
      std::fprintf(stderr, "usage: lyricanvas-cli %s\n", Usage);
      return 2;
    }
  }
  if (input.empty() || output.empty()) {
    std::fprintf(stderr, "usage: lyricanvas-cli %s\n", Usage);
    return 2;
  }
  Ui ui = Ui::Console();
  Song song;
  if (!Open_Project(song, input, ui)) return 1;
  song.Project_File = output;
  if (!Save_Project(song, ui)) return 1;
  std::printf("%s: %d fields\n", output.c_str(), song.Field_Count);
  return 0;
}

const bool registered = Register_Verb({"import", Usage, Import});

}  // namespace

}  // namespace lyricanvas::cli
