// lyricanvas-cli import: turns anything "Open Project..." accepts (projects new and old, lyrics
// text, RTF, MIDI and KAR files) into a project file.
#include <cstdio>

#include "app/cli.h"
#include "app/cli_files.h"
#include "app/cli_options.h"
#include "project/project_file.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage =
    "import INPUT -o OUT.cgp [--yes] [--force]   a project file of anything \"Open Project...\" reads";

int Import(const std::vector<std::string>& args) {
  Verb_Parser words("import", "Turns a project, lyrics text, RTF, MIDI or karaoke file into a "
                              "project file, as \"Open Project...\" reads it.");
  words.Add_Positional("INPUT", "The file to read: .cgp, .rtf, .txt, .mid or .kar.");
  words.Add_Option({"o", "output"}, "OUT.cgp", "The project file to write; - writes it to standard output.");
  words.Add_Force("Writes what an incomplete file holds, and exits 0 although some of its values "
                  "could not be read.");
  if (std::optional<int> exit = words.Parse(args)) return *exit;
  std::vector<std::string> inputs = words.Positionals();
  if (inputs.size() != 1) words.Reject(inputs.empty() ? "no INPUT given" : "more than one INPUT given");
  if (!words.Is_Set("output")) words.Reject("no output file given (-o OUT.cgp)");
  if (!words.Ok()) return words.Usage_Error();
  const std::string& input = inputs[0];
  const std::string output = *words.Value("output");
  if (std::string problem = Input_Problem(input); !problem.empty()) return words.Failure(problem);
  const bool force = words.Is_Set("force");
  Ui ui = Reading_Ui(force);
  Song song;
  // Something that could not be read (an incomplete file, a bad value) makes the exit status
  // non-zero unless forced; what was read is written all the same.
  Read_Status status = Open_Project_File(song, input, ui);
  if (status == Read_Status::Failed) return Exit_Failure;
  song.Project_File = output;
  if (!Save_Project(song, ui)) return Exit_Failure;
  std::fprintf(output == Standard_Output ? stderr : stdout, "%s: %d fields\n", output.c_str(),
               song.Field_Count);
  return status == Read_Status::Complete || force ? 0 : Exit_Failure;
}

const bool registered = Register_Verb({"import", Usage, Import});

}  // namespace

}  // namespace lyricanvas::cli
