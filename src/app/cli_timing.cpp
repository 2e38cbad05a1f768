// lyricanvas-cli timing: times a project from a key log, through the very handlers the window's
// "Lyrics swiping" tab uses, on a clock that reads the log's times. Tab mode is switched on
// (breaking the lyrics into syllables) and the first syllable is current, as after a click.
#include <cstdio>

#include "app/cli.h"
#include "app/cli_files.h"
#include "app/cli_options.h"
#include "model/file_io.h"
#include "project/project_file.h"
#include "timing/key_log.h"
#include "timing/key_timing.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage = "timing PROJECT --keys KEYLOG -o OUT.cgp [--force]";

int Timing(const std::vector<std::string>& args) {
  Verb_Parser words("timing", "Times the syllables of a project from a key log, as Space, C, S, "
                              "the arrows and B would on the \"Lyrics swiping\" tab.");
  words.Add_Positional("PROJECT", "The project to time: .cgp, or lyrics .rtf, .txt, .mid or .kar.");
  words.Add_Option({"keys"}, "KEYLOG",
                   "The key log: one \"SECONDS KEY\" line per key, KEY one of press, release, "
                   "clear, skip, up, down and back; # starts a comment.");
  words.Add_Option({"o", "output"}, "OUT.cgp", "The project file to write.");
  words.Add_Force();
  if (std::optional<int> exit = words.Parse(args)) return *exit;
  const std::vector<std::string> inputs = words.Positionals();
  if (inputs.size() != 1) words.Reject(inputs.empty() ? "no PROJECT given" : "more than one PROJECT given");
  if (!words.Is_Set("keys")) words.Reject("no key log given (--keys KEYLOG)");
  if (!words.Is_Set("output")) words.Reject("no output file given (-o OUT.cgp)");
  if (!words.Ok()) return words.Usage_Error();

  const std::string log_file = *words.Value("keys");
  std::string reason;
  const std::optional<std::string> log_text =
      Read_Whole_File(log_file, &reason, Max_Document_Bytes);
  if (!log_text) return words.Failure("cannot read the key log '" + log_file + "': " + reason);
  std::string error;
  const auto events = Parse_Key_Log(*log_text, error);
  if (!events) return words.Failure("the key log '" + log_file + "' is not valid: " + error);

  Ui ui = Ui::Console();
  auto song = std::make_unique<Song>();
  if (!Open_Project(*song, inputs[0], Reading_Ui(words.Is_Set("force")))) return Exit_Failure;
  auto te = std::make_unique<Timing_Editor>();
  song->Window_Controls.Set_Check("Chk_Tabmode", 1);
  Chk_Tabmode_Click(*te, *song, ui);
  Begin_Key_Session(*te, *song);
  Replay_Key_Log(*te, *song, ui, *events);
  song->Project_File = *words.Value("output");
  if (!Save_Project(*song, ui)) return Exit_Failure;
  std::printf("%s: %zu keys, %d fields\n", song->Project_File.c_str(), events->size(),
              song->Field_Count);
  return 0;
}

const bool registered = Register_Verb({"timing", Usage, Timing});

}  // namespace

}  // namespace lyricanvas::cli
