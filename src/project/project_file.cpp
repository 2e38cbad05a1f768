#include "project/project_file.h"

#include <QFontDatabase>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "cdg/coloring.h"
#include "model/file_io.h"
#include "model/layout.h"
#include "project/midi_import.h"
#include "project/project_text.h"
#include "project/rtf.h"

namespace lyricanvas {

namespace {

constexpr std::string_view Properties_Mark = "<properties>";
constexpr char Properties_Lead = static_cast<char>(254);
constexpr std::string_view Record_Mark = "field:";
constexpr std::string_view Crlf = "\r\n";

// Properties --------------------------------------------------------------------------------

std::string Tag(const std::string& key, const std::string& value) {
  return "<" + key + "=" + value + ">";
}

std::string Palette_Key(int i, int j) {
  return "color_" + std::to_string(i) + "_" + std::to_string(j);
}

/// An older name of a wiping style, or the value itself.
std::string Current_Wiping_Style(const std::string& value) {
  if (value == "Wipe text body to wiping") return "Swipe text body only";
  if (value == "Wipe body&outline to wi&bg") return "Swipe text body & outline";
  return value;
}

std::optional<long> Whole_Number(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  for (std::size_t k = i; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return std::nullopt;
  return std::stol(text);
}

struct Apply_Failure {
  int number;
  std::string description;
};

/// Applies one value to a control; a refused combo value becomes a problem text.
std::optional<Apply_Failure> Apply_Value(Control& control, const std::string& value,
                                         std::vector<std::string>& problems) {
  switch (control.Kind) {
    case Control_Kind::Text:
      control.Value = value;
      break;
    case Control_Kind::Combo: {
      std::string v = control.Name == "Com_WipingStyle" ? Current_Wiping_Style(value) : value;
      if (control.Name == "Com_Font") {
        if (Font_Installed(v))
          control.Value = v;
        else
          problems.push_back("The project loaded uses the font '" + v +
                             "' which is not available on this PC. It has been changed to a "
                             "different font.");
      } else if (control.List_Only &&
                 std::find(control.Items.begin(), control.Items.end(), v) == control.Items.end()) {
        problems.push_back("The combo box " + control.Name + " could not be set. " +
                           "Please check your option entries before proceeding!");
      } else {
        control.Value = v;
      }
      break;
    }
    case Control_Kind::Check: {
      std::optional<long> n = Whole_Number(value);
      if (!n) return Apply_Failure{13, "Type mismatch"};
      if (*n < 0 || *n > 2) return Apply_Failure{380, "Invalid property value"};
      control.Value = std::to_string(*n);
      break;
    }
    case Control_Kind::Option: {
      QString lower = QString::fromStdString(value).toLower();
      control.Value = lower == "false" ? "False" : "True";
      break;
    }
  }
  return std::nullopt;
}

std::string Failure_Text(const Apply_Failure& failure, const std::string& name,
                         const std::string& value) {
  return "Error " + std::to_string(failure.number) + ": " + failure.description + " on field " +
         name + " (value '" + value + "'); it keeps its previous value.";
}

/// The palette part of Apply_Properties. A level outside 0..15 is clamped, a value that is no
/// number is left out; both become problem texts, and every other value is applied.
void Apply_Palette(Song& song, std::vector<std::string>& problems) {
  for (int i = 0; i < 16; ++i) {
    for (int j = 0; j < 4; ++j) {
      const std::string key = Palette_Key(i, j);
      std::string v = Get_Property(song.Project_Properties, key);
      if (v.empty()) continue;
      std::optional<long> n = Whole_Number(v);
      if (!n) {
        problems.push_back(Failure_Text({13, "Type mismatch"}, key, v));
        continue;
      }
      // Column 0 is carried along as a 16-bit number; the others are colour levels.
      long low = j > 0 ? 0 : -32768;
      long high = j > 0 ? 15 : 32767;
      long level = std::clamp(*n, low, high);
      if (level != *n) {
        problems.push_back("The palette value " + key + "=" + v + " is outside " +
                           std::to_string(low) + " to " + std::to_string(high) + "; " +
                           std::to_string(level) + " is used.");
      }
      song.Palette[i][j] = static_cast<int>(level);
    }
  }
  Update_Palette_RGB(song);
}

void Show_Problems(const Ui& ui, const std::vector<std::string>& problems) {
  if (problems.empty()) return;
  std::string text = "The following errors occured during loading of the project: ";
  for (const std::string& problem : problems) text += "\r" + problem;
  Show_Message(ui, text);
}

// Text decoding -----------------------------------------------------------------------------

/// Fills a document from the bytes of an RTF block or of a plain text.
bool Load_Lyrics(Document& doc, std::string_view bytes, std::string& error, const Ui& ui) {
  if (Looks_Like_Rtf(bytes)) {
    std::string rtf_error, warning;
    if (Read_Rtf(doc, bytes, rtf_error, &warning)) {
      if (!warning.empty()) Show_Message(ui, warning);
      return true;
    }
    error = "its lyrics are not readable (" + rtf_error + ")";
    return false;
  }
  doc.Set_Text(Decode_Text(bytes));
  return true;
}

// Field records -----------------------------------------------------------------------------

struct Record_Reader {
  std::string_view data;
  std::size_t pos = 0;
  std::string error;

  /// The number before the next delimiter, as a decimal value rounded to an integer.
  std::optional<long> Number(char delimiter) {
    std::size_t end = data.find(delimiter, pos);
    if (end == std::string_view::npos) {
      error = "a field record ends early";
      return std::nullopt;
    }
    std::string text(data.substr(pos, end - pos));
    pos = end + 1;
    std::optional<double> value = Decimal(text);
    if (!value || std::fabs(*value) > 1e9) {
      error = "a field record holds \"" + text.substr(0, 20) + "\" where a number belongs";
      return std::nullopt;
    }
    return static_cast<long>(std::nearbyint(*value));
  }

  static std::optional<double> Decimal(const std::string& text) {
    if (text.empty() || text.size() > 24) return std::nullopt;
    std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
      if (text[i] >= '0' && text[i] <= '9')
        digits = true;
      else if (text[i] == '.' && !point)
        point = true;
      else
        return std::nullopt;
    }
    if (!digits) return std::nullopt;
    return std::stod(text);
  }
};

bool In_Position_Range(long value) { return value >= -32768 && value <= 32767; }

/// Picture anchoring: a picture field must sit on the picture's character (or the space that
/// stands for it); one character later is taken too. Returns false when neither holds.
bool Anchor_Picture(Field_Rec& field, const QString& text) {
  auto holds_picture = [&](int position) {
    if (position < 1 || position > text.size()) return false;
    QChar c = text[position - 1];
    return c == QChar(' ') || Is_Picture_Char(c);
  };
  if (holds_picture(field.First_Char)) return true;
  if (field.First_Char < 32767 && holds_picture(field.First_Char + 1)) {
    field.First_Char = static_cast<std::int16_t>(field.First_Char + 1);
    field.Last_Char = field.First_Char;
    return true;
  }
  return false;
}

/// Reads the field records. A record that is cut off or damaged ends the reading: the fields
/// before it are kept and the result is Incomplete, with error saying how far it got.
Read_Status Read_Field_Records(Song& song, std::string_view records, std::string& error) {
  Record_Reader reader{records, Record_Mark.size(), {}};
  const bool anchor = song.Project_Properties.find("Store_Pictures=0") == std::string::npos;
  const QString text = anchor ? song.RTB_Raw.Text() : QString();
  int read = 0;
  auto stop = [&](const std::string& why) {
    error = why + "; " + std::to_string(read) + " field records were read";
    return Read_Status::Incomplete;
  };
  for (;;) {
    if (song.Field_Count >= Max_Fields)
      return stop("it holds more than " + std::to_string(Max_Fields) + " fields");
    std::optional<long> first = reader.Number(',');
    std::optional<long> last = first ? reader.Number(',') : std::nullopt;
    std::optional<long> length = last ? reader.Number(':') : std::nullopt;
    if (!length) return stop(reader.error);
    if (!In_Position_Range(*first) || !In_Position_Range(*last))
      return stop("a field record holds a position out of range");
    std::size_t size = *length > 0 ? static_cast<std::size_t>(*length) : 0;
    if (size > records.size() - reader.pos)
      return stop("a field record runs past the end of the file");
    Field_Rec field{static_cast<std::int16_t>(*first), static_cast<std::int16_t>(*last),
                    std::string(records.substr(reader.pos, size))};
    reader.pos += size;
    ++read;
    if (field.Events.size() >= 11 && field.Events[0] == static_cast<char>(251) &&
        field.Events.compare(1, 10, "<Appearanc") == 0)
      field.Events[0] = Picture_Record_Mark;
    if (!(anchor && Is_Picture_Field(field) && !Anchor_Picture(field, text)))
      song.Fields[++song.Field_Count] = std::move(field);
    // Records are separated by line breaks; anything else means the file was cut or damaged.
    reader.pos = std::min(records.find_first_not_of("\r\n", reader.pos), records.size());
    if (reader.pos == records.size()) return Read_Status::Complete;
    if (records.substr(reader.pos, Record_Mark.size()) != Record_Mark)
      return stop("a field record is followed by data that is no field record");
    reader.pos += Record_Mark.size();
  }
}

/// Whether the bytes after "<properties>" end where a complete section ends: after a tag.
bool Properties_Complete(std::string_view section) {
  if (section.starts_with(Properties_Lead)) section.remove_prefix(1);
  std::size_t end = section.find_last_not_of("\r\n");
  return end == std::string_view::npos || section[end] == '>';
}

// Files -------------------------------------------------------------------------------------

/// A project begins with its RTF block or, in the older layout, with byte 132.
bool Looks_Like_Project(std::string_view bytes) {
  return Looks_Like_Rtf(bytes) || (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == 132);
}

bool Has_Extension(const std::string& path, const char* upper_extension) {
  std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return tail == upper_extension;
}

/// Writes the bytes to a temporary file beside path, forces it to the disk and renames it over
/// path, so the old file stays whole until the new one is.
bool Replace_File(const std::string& path, std::string_view bytes, std::string& reason) {
  Atomic_File file(path, true);
  file.Append(bytes);
  File_Error error;
  if (file.Commit(error)) return true;
  reason = error.reason;
  return false;
}

/// The lyrics as they are saved: without stored pictures, each picture leaves a space.
const Document& Lyrics_To_Save(Song& song) {
  if (song.Window_Controls.Check("Chk_Store_Pictures") != 0) return song.RTB_Raw;
  song.RTB_Shadow = song.RTB_Raw;
  for (int i = song.RTB_Shadow.Picture_Count() - 1; i >= 0; --i) {
    int offset = song.RTB_Shadow.Picture_Offset(i);
    song.RTB_Shadow.Remove_Picture(i);
    song.RTB_Shadow.Insert_Text(offset, QStringLiteral(" "));
  }
  return song.RTB_Shadow;
}

std::string Field_Record(const Field_Rec& field) {
  return std::string(Record_Mark) + std::to_string(field.First_Char) + "," +
         std::to_string(field.Last_Char) + "," + std::to_string(field.Events.size()) + ":" +
         field.Events + "\r\n\r\n";
}

/// Step 7 of opening: puts back the pictures that the file does not hold, in text order.
void Restore_Pictures(Song& song, const Ui& ui) {
  std::vector<int> pictures;
  for (int f = 1; f <= song.Field_Count; ++f)
    if (Is_Picture_Field(song.Fields[f])) pictures.push_back(f);
  std::stable_sort(pictures.begin(), pictures.end(), [&](int a, int b) {
    return song.Fields[a].First_Char < song.Fields[b].First_Char;
  });
  for (int f : pictures) {
    Field_Rec& field = song.Fields[f];
    std::string file = Get_Property(std::string_view(field.Events).substr(1), "filename");
    std::string reason;
    std::optional<std::string> bytes = Read_Whole_File(file, &reason);
    if (!bytes) {
      // A folder, FIFO or unreadable file at that name is there, but cannot be a picture.
      std::error_code ec;
      const bool present = std::filesystem::exists(file, ec);
      Show_Message(ui, file + " could not be loaded - " +
                           (present ? reason + "!" : std::string("file is not present!")));
      field = Field_Rec{};
      continue;
    }
    int offset = std::clamp(field.First_Char - 1, 0, song.RTB_Raw.Length());
    QString text = song.RTB_Raw.Text();
    bool placeholder = offset < text.size() && text[offset] == QChar(' ');
    song.RTB_Raw.Insert_Picture(offset, Embedded_Picture{*bytes, QString::fromStdString(file)},
                                placeholder);
  }
}

/// The file's bytes, or nothing after saying why it cannot be read.
std::optional<std::string> Read_Input(const std::string& path, const Ui& ui) {
  std::string reason;
  std::optional<std::string> bytes = Read_Whole_File(path, &reason, Max_Document_Bytes);
  if (bytes) return bytes;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec))
    Show_Message(ui, "Sorry, File '" + path + "' does not exist!");
  else
    Show_Message(ui, "The project file " + path + " could not be opened: " + reason +
                         ". The open project was left unchanged.");
  return std::nullopt;
}

/// Reads a project, lyrics text or RTF file into the staged song and applies its properties.
/// An incomplete project goes on only when the user agrees.
Read_Status Read_Project_Bytes(Song& staged, const std::string& path, const std::string& bytes,
                               const Ui& ui) {
  if (Has_Extension(path, ".CGP") && !Looks_Like_Project(bytes)) {
    Show_Message(ui, "The file " + path + " is not a Lyricanvas project.");
    return Read_Status::Failed;
  }
  std::string error;
  Read_Status status = Read_Project_File(staged, bytes, error, ui);
  if (status == Read_Status::Failed) {
    Show_Message(ui, "The project file " + path + " could not be opened: " + error +
                         ". The open project was left unchanged.");
    return status;
  }
  if (status == Read_Status::Incomplete &&
      Ask(ui, "The project file " + path + " is incomplete: " + error + ". Open what was read?") !=
          Answer::Yes)
    return Read_Status::Failed;
  staged.Suppress_Text_Events = true;
  return Worse(status, Apply_Properties(staged, ui));
}

}  // namespace

bool Font_Installed(const std::string& name) {
  static const std::pair<const char*, const char*> substitutes[] = {
      {"Times New Roman", "Liberation Serif"},
      {"Arial", "Liberation Sans"},
      {"Courier New", "Liberation Mono"}};
  QString wanted = QString::fromStdString(name);
  const QStringList families = QFontDatabase::families();
  auto has = [&](const QString& family) {
    return std::any_of(families.begin(), families.end(), [&](const QString& f) {
      return f.compare(family, Qt::CaseInsensitive) == 0;
    });
  };
  if (has(wanted)) return true;
  for (const auto& [classic, substitute] : substitutes)
    if (wanted.compare(QLatin1String(classic), Qt::CaseInsensitive) == 0)
      return has(QLatin1String(substitute));
  return false;
}

// Properties ----------------------------------------------------------------------------------

void Build_Properties(Song& song) {
  std::string tags;
  for (const Control& control : song.Window_Controls.All())
    tags += Tag(Controls::Key(control), control.Value);
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 4; ++j) tags += Tag(Palette_Key(i, j), std::to_string(song.Palette[i][j]));
  song.Project_Properties = std::string(Properties_Mark) + Properties_Lead + tags;
}

Read_Status Apply_Properties(Song& song, const Ui& ui) {
  std::vector<std::string> problems;
  std::size_t unreadable = 0;  // problems other than a font this system lacks
  for (const Control& entry : song.Window_Controls.All()) {
    Debug_Log(ui, "Reading property for control " + entry.Name);
    std::string key = Controls::Key(entry);
    std::string value = Get_Property(song.Project_Properties, key);
    if (value.empty()) continue;
    Control& control = *song.Window_Controls.Find(entry.Name, entry.Index);
    std::size_t before = problems.size();
    if (std::optional<Apply_Failure> failure = Apply_Value(control, value, problems))
      problems.push_back(Failure_Text(*failure, entry.Name, value));
    if (problems.size() > before && entry.Name != "Com_Font") ++unreadable;
  }
  std::size_t before = problems.size();
  Apply_Palette(song, problems);
  unreadable += problems.size() - before;
  // Projects from before the outline check box was folded into the wiping styles.
  if (Get_Property(song.Project_Properties, "Chk_Outline") == "0")
    song.Window_Controls.Set_Text("Com_WipingStyle", "Draw no outline");
  Apply_Wiping_Style(song, song.Window_Controls.Text("Com_WipingStyle"));
  Show_Problems(ui, problems);
  return unreadable > 0 ? Read_Status::Partial : Read_Status::Complete;
}

// Writing -------------------------------------------------------------------------------------

std::string Project_File_Bytes(Song& song, const Ui& ui) {
  Build_Properties(song);
  sort_fields(song, ui);
  std::string bytes = Write_Rtf(Lyrics_To_Save(song));
  bytes += Crlf;
  bytes += Encode_Properties(song.Project_Properties);
  bytes += Crlf;
  for (int f = 1; f <= song.Field_Count; ++f)
    if (!Is_Empty(song.Fields[f])) bytes += Field_Record(song.Fields[f]);
  return bytes;
}

bool Save_Project(Song& song, const Ui& ui) {
  const std::string& path = song.Project_File;
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    Show_Message(ui, "Directory or volume for " + path + " does not exist!");
    return false;
  }
  std::string bytes = Project_File_Bytes(song, ui);
  std::string reason;
  if (Replace_File(path, bytes, reason)) return true;
  Show_Message(ui, "The project could not be saved as " + path + ": " + reason +
                       ". The file was not changed.");
  return false;
}

// Reading -------------------------------------------------------------------------------------

Read_Status Read_Project_File(Song& song, std::string_view bytes, std::string& error,
                              const Ui& ui) {
  if (!bytes.empty() && static_cast<unsigned char>(bytes[0]) == 132)
    return Read_Old_Project(song, bytes, error, ui) ? Read_Status::Complete : Read_Status::Failed;
  song.Field_Count = 0;
  // The marker is followed by byte 254, which RTF never holds raw; lyrics that happen to
  // contain the word "<properties>" therefore do not cut the file short.
  std::size_t p = bytes.find(std::string(Properties_Mark) + Properties_Lead);
  if (p == std::string_view::npos) p = bytes.find(Properties_Mark);
  if (p == std::string_view::npos) {
    if (!Load_Lyrics(song.RTB_Raw, bytes, error, ui)) return Read_Status::Failed;
    song.Text_Length = song.RTB_Raw.Length();
    song.Project_Properties.clear();
    return Read_Status::Complete;
  }
  if (!Load_Lyrics(song.RTB_Raw, bytes.substr(0, p >= 2 ? p - 2 : 0), error, ui))
    return Read_Status::Failed;
  song.Text_Length = song.RTB_Raw.Length();
  std::string_view rest = bytes.substr(p + Properties_Mark.size());
  std::size_t q = rest.find(Record_Mark);
  song.Project_Properties = Decode_Properties(rest.substr(0, q));
  if (q != std::string_view::npos) return Read_Field_Records(song, rest.substr(q), error);
  if (Properties_Complete(rest)) return Read_Status::Complete;
  error = "it ends inside its properties; 0 field records were read";
  return Read_Status::Incomplete;
}

Read_Status Open_Project_File(Song& song, const std::string& path, const Ui& ui) {
  if (path.empty()) return Read_Status::Failed;
  std::optional<std::string> bytes = Read_Input(path, ui);
  if (!bytes) return Read_Status::Failed;
  Song staged = song;
  staged.Fields.fill(Field_Rec{});
  staged.Field_Count = 0;
  staged.Project_File = path;
  Read_Status status;
  if (Has_Extension(path, ".KAR") || Has_Extension(path, ".MID")) {
    // The import reports its own failures; the project is not written until the user saves.
    auto data = reinterpret_cast<const std::uint8_t*>(bytes->data());
    status = Import_Midi(staged, std::span(data, bytes->size()), path, ui);
    staged.Project_File = path.substr(0, path.size() - 4) + ".cgp";
  } else {
    status = Read_Project_Bytes(staged, path, *bytes, ui);
  }
  if (status == Read_Status::Failed) return status;
  const std::string audio = staged.Window_Controls.Text("txt_Filename", 0);
  if (!File_Exists(ui, audio)) staged.Window_Controls.Set_Text("txt_Filename", 0, "");
  if (staged.Window_Controls.Check("Chk_Store_Pictures") == 0) Restore_Pictures(staged, ui);
  if (staged.Window_Controls.Check("Chk_Store_Pictures") == 2)
    staged.Window_Controls.Set_Check("Chk_Store_Pictures", 0);
  staged.RTB_Raw.Select(0, 0);
  staged.Picture_Count = staged.RTB_Raw.Picture_Count();
  staged.Text_Length = staged.RTB_Raw.Length();
  staged.Suppress_Text_Events = song.Suppress_Text_Events;
  song = staged;
  return status;
}

bool Open_Project(Song& song, const std::string& path, const Ui& ui) {
  return Open_Project_File(song, path, ui) != Read_Status::Failed;
}

}  // namespace lyricanvas
