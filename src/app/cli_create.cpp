// lyricanvas-cli create: writes the CD+G graphics of a song with the settings of the "CD+G
// Creation" tab given as flags, through the create button's own checks and messages.
#include <cstdio>
#include <optional>
#include <tuple>
#include <vector>

#include "app/cli.h"
#include "app/cli_files.h"
#include "app/cli_options.h"
#include "cdg/creation.h"
#include "model/file_io.h"
#include "project/project_file.h"
#include "project/timed_text.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage =
    "create SONG -o FILE [--wav FILE] [--total TIME] ...   the CD+G graphics of a song";

// Song files ----------------------------------------------------------------------------------

/// force: go on with what an incomplete file holds.
using Song_Loader = bool (*)(Song& song, const std::string& path, bool force, std::string& error);

bool Load_Timed_Text_File(Song& song, const std::string& path, bool, std::string& error) {
  std::string reason;
  std::optional<std::string> bytes = Read_Whole_File(path, &reason, Max_Document_Bytes);
  if (!bytes) {
    error = "cannot read '" + path + "': " + reason;
    return false;
  }
  if (Load_Timed_Text(song, *bytes, error)) return true;
  error = path + ": " + error;
  return false;
}

/// Projects, RTF lyrics and karaoke MIDI files open as "Open Project..." opens them, with the
/// options saved in the project. An incomplete file is refused unless forced.
bool Load_Project_File(Song& song, const std::string& path, bool force, std::string& error) {
  // Open_Project_File tells the reason itself on stderr.
  Read_Status status = Open_Project_File(song, path, Reading_Ui(force));
  if (status == Read_Status::Incomplete && !force) {
    error = "'" + path + "' is incomplete (--force uses what it holds)";
    return false;
  }
  if (status != Read_Status::Failed) return true;
  error = "could not open '" + path + "'" + (force ? "" : " (--force opens an incomplete file)");
  return false;
}

/// The loader of a song file by its extension, in any case; timed text is the format of any
/// other file.
Song_Loader Loader_For(const std::string& path) {
  for (const char* extension : {".cgp", ".rtf", ".kar", ".mid"})
    if (Has_Extension(path, extension)) return &Load_Project_File;
  return &Load_Timed_Text_File;
}

// Options --------------------------------------------------------------------------------------

/// A text box or list of the creation tab and the option that sets it.
struct Value_Option {
  const char* option;
  const char* control;
  int index;
  const char* value_name;
  const char* description;
};

constexpr Value_Option Value_Options[] = {
    {"output", "txt_Filename", 2, "FILE",
     "The file to write: a .bin CD image when --wav is given, else a .cdg pack stream; - "
     "writes it to standard output."},
    {"wav", "txt_Filename", 1, "FILE",
     "The WAV audio (44.1 kHz, 2 channels, 16 bit) to interleave into a .bin CD image."},
    {"total", "Txt_TotalTime", -1, "TIME",
     "The length of the destination track, above 0; needed without --wav."},
    {"minimum-gap", "txt_Minimum_gap", -1, "TIME", "The minimum gap for clearing (default 4)."},
    {"minimum-shown", "txt_Minimum_shown", -1, "TIME",
     "How long lyrics are shown before their wipe, above 0 and at least the minimum gap "
     "(default 4)."},
    {"silence", "Txt_Silence", -1, "TIME", "The silence before the audio (default 0)."},
    {"lines", "txt_lines_on_screen", -1, "N", "Lines on screen, 1 to 100 (default 6)."},
    {"fading", "Com_FadingStyle", -1, "STYLE", "The fading style: "},
    {"wiping", "Com_WipingStyle", -1, "STYLE", "The wiping style: "},
};

/// The check boxes of the creation tab and their flags.
struct Check_Option {
  const char* option;
  const char* control;
  const char* description;
};

constexpr Check_Option Check_Options[] = {
    {"blank-audio", "Chk_Blank", "Writes silence instead of the WAV's audio into the image."},
    {"reduce-framerate", "chk_framerate", "Wipes at 30 steps a second instead of 60."},
    {"reverse-transparency", "Chk_Reverse", "Reverses the transparency of the background."},
};

constexpr int Max_Timebase_Pairs = 3;

/// The settings of the command line, applied to the song's controls once it is loaded.
struct Create_Options {
  std::string song_path;
  std::string wav;  ///< the WAV file, or empty
  bool yes = false;
  bool force = false;  ///< use what an incomplete song file holds
  std::vector<std::tuple<std::string, int, std::string>> texts;  ///< control, index, text
  std::vector<std::string> checks;                                ///< controls to check
};

std::vector<std::string> Items_Of(const std::string& control) {
  static const Controls defaults;
  return defaults.Find(control)->Items;
}

void Describe(Verb_Parser& words) {
  words.Add_Positional("SONG", "The song: a .cgp project, .rtf lyrics, a .mid or .kar karaoke "
                               "file (opened with the options saved in it), or timed text.");
  for (const Value_Option& o : Value_Options) {
    std::string description = o.description;
    if (description.ends_with(": ")) description += Quoted_Choices(Items_Of(o.control)) + ".";
    std::vector<std::string> names{o.option};
    if (names[0] == "output") names.insert(names.begin(), "o");
    words.Add_Option(names, o.value_name, description);
  }
  words.Add_Option({"timebase"}, "SOURCE=DEST",
                   "A time-base pair: the song time SOURCE is shown at DEST. Up to " +
                       std::to_string(Max_Timebase_Pairs) +
                       " pairs, each later than the one before in both times.");
  for (const Check_Option& o : Check_Options) words.Add_Flag({o.option}, o.description);
  words.Add_Flag({"yes"}, "Answers Yes to every question, such as overwriting the output.");
  words.Add_Force();
}

/// The pairs of --timebase, each checked and later than the one before in both times.
void Read_Timebase(Verb_Parser& words, Create_Options& options) {
  std::vector<std::string> pairs = words.Values("timebase");
  if (pairs.size() > Max_Timebase_Pairs)
    words.Reject("--timebase may be given at most " + std::to_string(Max_Timebase_Pairs) + " times");
  double last_source = -1, last_dest = -1;
  for (std::size_t i = 0; i < pairs.size() && i < Max_Timebase_Pairs; ++i) {
    std::size_t equals = pairs[i].find('=');
    std::string source = pairs[i].substr(0, equals);
    std::string dest = equals == std::string::npos ? "" : pairs[i].substr(equals + 1);
    std::string why;
    std::optional<double> s = Checked_Time(source, {}, why), d;
    if (s) d = Checked_Time(dest, {}, why);
    if (equals == std::string::npos)
      why = "is not SOURCE=DEST";
    else if (d && (*s <= last_source || *d <= last_dest))
      why = "is not later than the pair before it in both times";
    if (!why.empty()) words.Reject("--timebase '" + pairs[i] + "' " + why);
    last_source = s.value_or(last_source);
    last_dest = d.value_or(last_dest);
    options.texts.emplace_back("Txt_Source", static_cast<int>(i) + 1, source);
    options.texts.emplace_back("Txt_Dest", static_cast<int>(i) + 1, dest);
  }
}

/// Checks one value option and keeps its text for its control.
void Read_Value(Verb_Parser& words, const Value_Option& o, Create_Options& options) {
  const std::string name = o.option, kind = o.value_name;
  if (!words.Is_Set(name)) return;
  bool ok = true;
  if (kind == "TIME")
    ok = words.Time(name, {.above_minimum = name == "total" || name == "minimum-shown"}).has_value();
  else if (kind == "N")
    ok = words.Integer(name, 1, 100).has_value();
  else if (kind == "STYLE")
    ok = words.Choice(name, Items_Of(o.control)).has_value();
  if (ok) options.texts.emplace_back(o.control, o.index, *words.Value(name));
}

/// Reads and checks the command line; the result is the exit status when the run ends here.
std::optional<int> Parse_Args(const std::vector<std::string>& args, Create_Options& options) {
  Verb_Parser words("create", std::string("Writes the CD+G graphics of a song, as the \"Create "
                                          "CD+G Data\" button does with the settings of the "
                                          "\"CD+G Creation\" tab. ") + Time_Forms);
  Describe(words);
  words.Ask_Before_Replacing();  // through the button's own question, answered by --yes
  if (std::optional<int> exit = words.Parse(args)) return exit;
  for (const Value_Option& o : Value_Options) Read_Value(words, o, options);
  Read_Timebase(words, options);
  for (const Check_Option& o : Check_Options)
    if (words.Is_Set(o.option)) options.checks.emplace_back(o.control);
  options.yes = words.Is_Set("yes");
  options.force = words.Is_Set("force");
  options.wav = words.Value("wav").value_or("");
  std::vector<std::string> songs = words.Positionals();
  if (songs.size() != 1) words.Reject(songs.empty() ? "no SONG given" : "more than one SONG given");
  if (!words.Ok()) return words.Usage_Error();
  options.song_path = songs[0];
  return std::nullopt;
}

void Apply(const Create_Options& options, Controls& controls) {
  for (const auto& [control, index, text] : options.texts) controls.Set_Text(control, index, text);
  for (const std::string& control : options.checks) controls.Set_Check(control, 1);
}

/// The song and the WAV must be regular files (the WAV of any length: it is streamed).
std::string Files_Problem(const Create_Options& options) {
  if (std::string problem = Input_Problem(options.song_path); !problem.empty()) return problem;
  return options.wav.empty() ? std::string() : Input_Problem(options.wav, UINT64_MAX);
}

int Run_Create(const std::vector<std::string>& args) {
  // The options are checked before anything is read, and applied after the song is loaded, so
  // they override the options a project was saved with.
  Create_Options options;
  if (std::optional<int> exit = Parse_Args(args, options)) return *exit;
  if (std::string problem = Files_Problem(options); !problem.empty()) {
    std::fprintf(stderr, "lyricanvas-cli create: %s\n", problem.c_str());
    return Exit_Failure;
  }
  Song song;
  std::string error;
  if (!Loader_For(options.song_path)(song, options.song_path, options.force, error)) {
    std::fprintf(stderr, "lyricanvas-cli create: %s\n", error.c_str());
    return Exit_Failure;
  }
  Apply(options, song.Window_Controls);
  return But_CDG_Create_Click(song, Answering_Ui(options.yes)) ? 0 : Exit_Failure;
}

const bool registered = Register_Verb({"create", Usage, Run_Create});

}  // namespace

}  // namespace lyricanvas::cli
