// lyricanvas-cli create: writes the CD+G graphics of a song with the settings of the "CD+G
// Creation" tab given as flags, through the create button's own checks and messages.
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

#include "app/cli.h"
#include "cdg/creation.h"
#include "model/file_io.h"
#include "project/project_file.h"
#include "project/timed_text.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage =
    "create SONG [-o|--output FILE] [--wav FILE] [--total TIME] [--minimum-gap TIME]\n"
    "         [--minimum-shown TIME] [--silence TIME] [--timebase SOURCE=DEST (up to 3)]\n"
    "         [--lines N] [--fading STYLE] [--wiping STYLE] [--blank-audio]\n"
    "         [--reduce-framerate] [--reverse-transparency] [--yes]";

// Song files ----------------------------------------------------------------------------------

using Song_Loader = bool (*)(Song& song, const std::string& path, std::string& error);

bool Load_Timed_Text_File(Song& song, const std::string& path, std::string& error) {
  std::string reason;
  std::optional<std::string> bytes = Read_Whole_File(path, &reason);
  if (!bytes) {
    error = "cannot read '" + path + "': " + reason;
    return false;
  }
  if (Load_Timed_Text(song, *bytes, error)) return true;
  error = path + ": " + error;
  return false;
}

/// Projects, RTF lyrics and karaoke MIDI files open as "Open Project..." opens them, with the
/// options saved in the project.
bool Load_Project_File(Song& song, const std::string& path, std::string& error) {
  // Open_Project tells the reason itself on stderr.
  if (Open_Project(song, path, Ui::Console())) return true;
  error = "could not open '" + path + "'";
  return false;
}

/// The loader of a song file by its extension; timed text is the format of any other file.
Song_Loader Loader_For(const std::string& path) {
  static const std::map<std::string, Song_Loader> by_extension{
      {".cgp", &Load_Project_File}, {".rtf", &Load_Project_File},
      {".kar", &Load_Project_File}, {".mid", &Load_Project_File},
      {".CGP", &Load_Project_File}, {".RTF", &Load_Project_File},
      {".KAR", &Load_Project_File}, {".MID", &Load_Project_File}};
  std::size_t dot = path.find_last_of('.');
  auto it = dot == std::string::npos ? by_extension.end() : by_extension.find(path.substr(dot));
  return it == by_extension.end() ? &Load_Timed_Text_File : it->second;
}

// Flags -----------------------------------------------------------------------------------------

/// Where a flag with a value goes: a text box, or (index -1 of a combo box) a list choice.
struct Value_Flag {
  std::string control;
  int index = -1;
};

const std::map<std::string, Value_Flag>& Value_Flags() {
  static const std::map<std::string, Value_Flag> flags{
      {"-o", {"txt_Filename", 2}},          {"--output", {"txt_Filename", 2}},
      {"--wav", {"txt_Filename", 1}},       {"--total", {"Txt_TotalTime"}},
      {"--minimum-gap", {"txt_Minimum_gap"}}, {"--minimum-shown", {"txt_Minimum_shown"}},
      {"--silence", {"Txt_Silence"}},       {"--lines", {"txt_lines_on_screen"}},
      {"--fading", {"Com_FadingStyle"}},    {"--wiping", {"Com_WipingStyle"}},
  };
  return flags;
}

const std::map<std::string, std::string>& Check_Flags() {
  static const std::map<std::string, std::string> flags{
      {"--blank-audio", "Chk_Blank"},
      {"--reduce-framerate", "chk_framerate"},
      {"--reverse-transparency", "Chk_Reverse"},
  };
  return flags;
}

struct Create_Options {
  std::string song_path;
  bool yes = false;
};

/// A flag the command line cannot be used with; the usage is shown with it.
struct Usage_Error {
  std::string what;
};

std::string Choices(const Control& combo) {
  std::string list;
  for (const std::string& item : combo.Items) list += (list.empty() ? "\"" : ", \"") + item + "\"";
  return list;
}

void Set_Value(Controls& controls, const std::string& flag, const std::string& value) {
  const Value_Flag& target = Value_Flags().at(flag);
  if (!controls.Set_Text(target.control, target.index, value))
    throw Usage_Error{flag + " takes one of " + Choices(*controls.Find(target.control))};
}

void Set_Timebase(Controls& controls, int& pairs, const std::string& value) {
  std::size_t equals = value.find('=');
  if (equals == std::string::npos) throw Usage_Error{"--timebase takes SOURCE=DEST"};
  if (++pairs > 3) throw Usage_Error{"--timebase may be given at most three times"};
  controls.Set_Text("Txt_Source", pairs, value.substr(0, equals));
  controls.Set_Text("Txt_Dest", pairs, value.substr(equals + 1));
}

/// Splits "--flag=value" and takes the value of a flag from the next argument otherwise.
std::string Take_Value(const std::vector<std::string>& args, std::size_t& i,
                       const std::string& flag, const std::optional<std::string>& inline_value) {
  if (inline_value) return *inline_value;
  if (++i >= args.size()) throw Usage_Error{flag + " needs a value"};
  return args[i];
}

Create_Options Parse_Args(const std::vector<std::string>& args, Controls& controls) {
  Create_Options options;
  int timebase_pairs = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string flag = args[i];
    std::optional<std::string> inline_value;
    if (std::size_t eq = flag.find('='); flag.starts_with("--") && eq != std::string::npos) {
      inline_value = flag.substr(eq + 1);
      flag.resize(eq);
    }
    bool takes_no_value = flag == "--yes" || Check_Flags().contains(flag);
    if (takes_no_value && inline_value) throw Usage_Error{flag + " takes no value"};
    if (flag == "--yes") {
      options.yes = true;
    } else if (Check_Flags().contains(flag)) {
      controls.Set_Check(Check_Flags().at(flag), 1);
    } else if (flag == "--timebase") {
      Set_Timebase(controls, timebase_pairs, Take_Value(args, i, flag, inline_value));
    } else if (Value_Flags().contains(flag)) {
      Set_Value(controls, flag, Take_Value(args, i, flag, inline_value));
    } else if (flag.starts_with("-")) {
      throw Usage_Error{"unknown flag " + flag};
    } else if (options.song_path.empty()) {
      options.song_path = flag;
    } else {
      throw Usage_Error{"more than one SONG given"};
    }
  }
  if (options.song_path.empty()) throw Usage_Error{"no SONG given"};
  return options;
}

/// Messages and questions on stderr; a question is answered Yes only with --yes.
Ui Console_Ui(bool yes) {
  Ui ui = Ui::Console();
  ui.ask = [yes](const std::string& question, bool) {
    std::fprintf(stderr, "%s %s\n", question.c_str(), yes ? "Yes" : "No");
    return yes ? Answer::Yes : Answer::No;
  };
  return ui;
}

int Run_Create(const std::vector<std::string>& args) {
  Song song;
  Create_Options options;
  try {
    // The flags are checked before anything is read, and applied after the song is loaded, so
    // they override the options a project was saved with.
    Controls scratch;
    options = Parse_Args(args, scratch);
  } catch (const Usage_Error& error) {
    std::fprintf(stderr, "lyricanvas-cli create: %s\nusage: lyricanvas-cli %s\n",
                 error.what.c_str(), Usage);
    return 2;
  }
  std::string error;
  if (!Loader_For(options.song_path)(song, options.song_path, error)) {
    std::fprintf(stderr, "lyricanvas-cli create: %s\n", error.c_str());
    return 1;
  }
  Parse_Args(args, song.Window_Controls);
  return But_CDG_Create_Click(song, Console_Ui(options.yes)) ? 0 : 1;
}

const bool registered = Register_Verb({"create", Usage, Run_Create});

}  // namespace

}  // namespace lyricanvas::cli
