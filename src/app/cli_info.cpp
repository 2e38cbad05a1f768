// lyricanvas-cli info: a short summary of a project, or with --text its plain lyrics.
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <set>

#include "app/cli.h"
#include "app/cli_files.h"
#include "app/cli_options.h"
#include "editing/syllables.h"
#include "pictures/properties.h"
#include "project/project_file.h"

namespace lyricanvas::cli {

namespace {

constexpr const char* Usage =
    "info PROJECT [--text] [--force]   a summary of a project, or its plain lyrics";

std::string Clock(std::int64_t packs) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%05.2f", static_cast<long long>(packs / 18000),
                static_cast<double>(packs % 18000) / 300.0);
  return text;
}

/// Font names with sizes as they occur in the lyrics, in order of first use.
std::vector<std::string> Fonts_Used(const Document& doc) {
  std::vector<std::string> fonts;
  for (QTextBlock block = doc.Qt().begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      Font_Rec font = Font_Of_Format(it.fragment().charFormat(), doc.Default_Font());
      char size[16];
      std::snprintf(size, sizeof size, " %g", font.Font_Size);
      std::string name = font.Font_Name.toStdString() + size + (font.Bold ? " bold" : "") +
                         (font.Italic ? " italic" : "");
      if (std::find(fonts.begin(), fonts.end(), name) == fonts.end()) fonts.push_back(name);
    }
  return fonts;
}

void Print_Timing(const Song& song) {
  int fields = 0, timed = 0, pictures = 0;
  std::int64_t first = -1, last = -1;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[f];
    if (Is_Empty(field)) continue;
    ++fields;
    if (Is_Picture_Field(field)) {
      ++pictures;
      continue;
    }
    for (int k = 1; k <= Event_Count(field.Events); ++k) {
      std::int64_t t = Event_Time_Packs(field.Events, k);
      first = first < 0 ? t : std::min(first, t);
      last = std::max(last, t);
    }
    if (!field.Events.empty()) ++timed;
  }
  std::printf("fields: %d\ntimed fields: %d\n", fields, timed);
  if (first >= 0)
    std::printf("first timing point: %s\nlast timing point: %s\n", Clock(first).c_str(),
                Clock(last).c_str());
  std::printf("pictures: %d (%d embedded)\n", pictures, song.RTB_Raw.Picture_Count());
}

/// Each picture field in text order with its appearance properties.
void Print_Pictures(const Song& song) {
  std::vector<const Field_Rec*> pictures;
  for (int f = 1; f <= song.Field_Count; ++f)
    if (Is_Picture_Field(song.Fields[f])) pictures.push_back(&song.Fields[f]);
  std::stable_sort(pictures.begin(), pictures.end(),
                   [](const Field_Rec* a, const Field_Rec* b) { return a->First_Char < b->First_Char; });
  for (std::size_t k = 0; k < pictures.size(); ++k)
    std::printf("  picture %zu at character %d: %s\n", k + 1, pictures[k]->First_Char,
                Describe_Picture_Properties(std::string_view(pictures[k]->Events).substr(1)).c_str());
}

void Print_Options(const Song& song) {
  const Controls defaults;
  std::printf("options that differ from the defaults:\n");
  for (const Control& c : song.Window_Controls.All())
    if (c.Value != defaults.Text(c.Name, c.Index))
      std::printf("  %s = %s\n", Controls::Key(c).c_str(), c.Value.c_str());
  const Palette_Table palette = Default_Palette();
  for (int i = 0; i < 16; ++i)
    if (song.Palette[i] != palette[i])
      std::printf("  color %d = %d,%d,%d\n", i, song.Palette[i][1], song.Palette[i][2],
                  song.Palette[i][3]);
}

int Info(const std::vector<std::string>& args) {
  Verb_Parser words("info", "Prints a short summary of a project: lines, fields, timing, "
                            "pictures, fonts and the options that differ from the defaults.");
  words.Add_Positional("PROJECT", "The file to read: .cgp, .rtf, .txt, .mid or .kar.");
  words.Add_Flag({"text"}, "Prints the plain lyrics instead of the summary.");
  words.Add_Force();
  if (std::optional<int> exit = words.Parse(args)) return *exit;
  std::vector<std::string> inputs = words.Positionals();
  if (inputs.size() != 1) return words.Usage_Error(inputs.empty() ? "no PROJECT given" : "more than one PROJECT given");
  const bool text_only = words.Is_Set("text");
  if (std::string problem = Input_Problem(inputs[0]); !problem.empty()) return words.Failure(problem);
  Song song;
  if (!Open_Project(song, inputs[0], Reading_Ui(words.Is_Set("force")))) return Exit_Failure;
  if (text_only) {
    QString text = song.RTB_Raw.Text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::printf("%s\n", text.toStdString().c_str());
    return 0;
  }
  std::printf("lines: %d\n", Line_Count(song));
  std::printf("syllables: %d\n", Syllable_Count(song));
  Print_Timing(song);
  Print_Pictures(song);
  std::printf("fonts:");
  for (const std::string& font : Fonts_Used(song.RTB_Raw)) std::printf(" [%s]", font.c_str());
  std::printf("\n");
  Print_Options(song);
  return 0;
}

const bool registered = Register_Verb({"info", Usage, Info});

}  // namespace

}  // namespace lyricanvas::cli
