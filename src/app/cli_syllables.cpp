// lyricanvas-cli syllables: cuts the lyrics of a project into one untimed field per syllable,
// as switching on Tab mode does, and writes the result as a project file.
#include <cstdio>

#include "app/cli.h"
#include "app/cli_files.h"
#include "app/cli_options.h"
#include "editing/syllables.h"
#include "project/project_file.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage = "syllables PROJECT -o OUT.cgp [--force]";

int Syllables(const std::vector<std::string>& args) {
  Verb_Parser words("syllables",
                    "Gives every syllable of the lyrics that has no field yet an untimed field "
                    "of its own (German rules when the text has an \xC3\x9C, English rules "
                    "otherwise) and writes the project. Fields that exist stay as they are.");
  words.Add_Positional("PROJECT", "The file to read: .cgp, .rtf, .txt, .mid or .kar.");
  words.Add_Option({"o", "output"}, "OUT.cgp", "The project file to write.");
  words.Add_Force();
  if (std::optional<int> exit = words.Parse(args)) return *exit;
  std::vector<std::string> inputs = words.Positionals();
  if (inputs.size() != 1) words.Reject(inputs.empty() ? "no PROJECT given" : "more than one PROJECT given");
  if (!words.Is_Set("output")) words.Reject("no output file given (-o OUT.cgp)");
  if (!words.Ok()) return words.Usage_Error();
  Ui ui = Ui::Console();
  Song song;
  if (!Open_Project(song, inputs[0], Reading_Ui(words.Is_Set("force")))) return Exit_Failure;
  const int made = Break_Syllables(song, ui);
  song.Project_File = *words.Value("output");
  if (!Save_Project(song, ui)) return Exit_Failure;
  std::printf("%s: %d fields (%d new)\n", song.Project_File.c_str(), song.Field_Count, made);
  return 0;
}

const bool registered = Register_Verb({"syllables", Usage, Syllables});

}  // namespace

}  // namespace lyricanvas::cli
