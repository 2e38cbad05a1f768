// lyricanvas-cli picture: puts a picture into the lyrics of a project as a line of its own, with
// its appearance properties, and saves the result as a new project.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/cli.h"
#include "app/cli_options.h"
#include "model/file_io.h"
#include "pictures/picture_source.h"
#include "pictures/properties.h"
#include "pictures/reduction.h"
#include "project/project_file.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage =
    "picture PROJECT --add FILE --line N [--effect NAME] [--hold SECONDS] ... -o OUT.cgp";

std::vector<std::string> Effect_Names() {
  return {Appearance_Effects.begin(), Appearance_Effects.end()};
}

void Add_Words(Verb_Parser& words) {
  words.Add_Positional("PROJECT", "The project to add the picture to: .cgp, .rtf or .txt.");
  words.Add_Option({"add"}, "FILE", "The picture: a BMP (24, 8 or 4 bits), PNG or JPEG file. "
                                    "PNG and JPEG pictures are saved as a 24-bit BMP beside "
                                    "OUT.cgp, which the project then names.");
  words.Add_Option({"line"}, "N", "Where the picture goes: after the first N lines (0: a title "
                                  "picture before the first line).");
  words.Add_Option({"effect"}, "NAME", "How the picture appears: " +
                                           Quoted_Choices(Effect_Names()) +
                                           " (default \"Left to right\").");
  words.Add_Option({"hold"}, "SECONDS", std::string("How long the picture stays at least. ") + Time_Forms);
  words.Add_Flag({"along"}, "Shows the picture together with the lyrics that follow it.");
  words.Add_Flag({"after"}, "Shows the picture right after the last screen's last wipe.");
  words.Add_Flag({"overwrite"}, "Draws the picture over the last screen.");
  words.Add_Flag({"no-dither"}, "Maps the picture without spreading the colour error.");
  words.Add_Flag({"reverse"}, "Runs the appearance effect backwards.");
  words.Add_Flag({"store"}, "Stores the pictures inside the project file.");
  words.Add_Option({"o", "output"}, "OUT.cgp", "The project file to write.");
}

/// Where a converted picture is kept: beside the output, named after the picture, numbered
/// when a different file has that name.
std::string Converted_Path(const std::string& picture, const std::string& output,
                           const std::string& bmp) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(output).parent_path();
  const std::string stem = fs::path(picture).stem().string();
  for (int n = 1;; ++n) {
    const fs::path path = folder / (stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".bmp");
    std::error_code ec;
    if (!fs::exists(path, ec) || Read_Whole_File(path.string()) == bmp) return path.string();
  }
}

/// The picture as BMP bytes and the file the project names for it; false after a message.
bool Load_Picture(const Verb_Parser& words, const std::string& file, const std::string& output,
                  std::string& bmp, std::string& named) {
  std::string reason;
  std::optional<std::string> bytes = Read_Whole_File(file, &reason);
  if (!bytes) return words.Failure("cannot read '" + file + "': " + reason), false;
  std::string message;
  std::optional<std::string> converted = Picture_File_As_Bmp(*bytes, file, message);
  if (!converted) return words.Failure(message), false;
  bmp = *converted;
  // A picture the creation run could not show is refused now rather than left out later.
  auto work = std::make_unique<Picture_Work>();
  if (!Read_Picture(*work, {reinterpret_cast<const std::uint8_t*>(bmp.data()), bmp.size()}, file,
                    message))
    return words.Failure(message), false;
  named = file;
  if (bmp == *bytes) return true;
  named = Converted_Path(file, output, bmp);
  Atomic_File out(named, false);
  out.Append(bmp);
  File_Error error;
  if (!out.Commit(error)) return words.Failure("cannot write '" + named + "'"), false;
  return true;
}

Picture_Properties_Rec Properties_From(Verb_Parser& words, const std::string& file) {
  Picture_Properties_Rec rec;
  rec.Appearance_effect = words.Choice("effect", Effect_Names()).value_or("Left to right");
  rec.filename = file;
  if (std::optional<double> hold = words.Time("hold", Time_Bounds{})) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", *hold);
    rec.hold_time = text;
  }
  auto flag = [&](const char* name) { return words.Is_Set(name) ? "1" : "0"; };
  rec.along_with_lyrics = flag("along");
  rec.right_after_lyrics = flag("after");
  rec.overwrite_last_screen = flag("overwrite");
  rec.dither_picture = words.Is_Set("no-dither") ? "0" : "1";
  rec.reverse_effect = flag("reverse");
  return rec;
}

int Picture(const std::vector<std::string>& args) {
  Verb_Parser words("picture", "Adds a picture to the lyrics of a project, as a line of its own "
                               "with its appearance properties, and writes a new project.");
  Add_Words(words);
  if (std::optional<int> exit = words.Parse(args)) return *exit;
  const std::vector<std::string> inputs = words.Positionals();
  if (inputs.size() != 1) words.Reject(inputs.empty() ? "no PROJECT given" : "more than one PROJECT given");
  if (!words.Is_Set("add")) words.Reject("no picture given (--add FILE)");
  if (!words.Is_Set("line")) words.Reject("no place given (--line N)");
  if (!words.Is_Set("output")) words.Reject("no output file given (-o OUT.cgp)");
  const std::optional<int> line = words.Integer("line", 0, Max_Lines);
  const std::string output = words.Value("output").value_or("");
  Picture_Properties_Rec properties;
  if (words.Ok()) properties = Properties_From(words, *words.Value("add"));
  if (!words.Ok()) return words.Usage_Error();
  Ui ui = Ui::Console();
  Song song;
  if (!Open_Project(song, inputs[0], ui)) return Exit_Failure;
  std::string bmp;
  if (!Load_Picture(words, *words.Value("add"), output, bmp, properties.filename))
    return Exit_Failure;
  const int position = Insert_Picture_Line(song, *line, bmp, properties.filename,
                                           properties.along_with_lyrics != "1");
  if (position == 0)
    return words.Failure("the project has only " + std::to_string(song.RTB_Raw.Line_Count()) +
                         " lines");
  Edit_Picture_Properties(song, position, [&](std::string& text) {
    text = Build_Picture_Properties(properties);
  });
  if (words.Is_Set("store")) song.Window_Controls.Set_Check("Chk_Store_Pictures", 1);
  song.Project_File = output;
  if (!Save_Project(song, ui)) return Exit_Failure;
  std::printf("%s: picture %d at position %d\n", output.c_str(), song.RTB_Raw.Picture_Count(),
              position);
  return 0;
}

const bool registered = Register_Verb({"picture", Usage, Picture});

}  // namespace

}  // namespace lyricanvas::cli
