#include "cdg/creation.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <new>
#include <cstdlib>
#include <exception>

#include "cdg/coloring.h"
#include "cdg/line_drawing.h"
#include "cdg/output_files.h"
#include "cdg/screens.h"
#include "cdg/time_entry.h"
#include "model/file_io.h"
#include "model/layout.h"
#include "model/surface.h"

namespace lyricanvas {

namespace {

/// Slots the stream may have at most: the latest time an event can hold, plus the 20 seconds
/// the stream runs on after the track.
constexpr double Max_Stream_Slots = Max_Event_Time + 20.0 * Packs_Per_Second;

/// A failure inside the run, numbered like the errors the run reports.
struct Run_Failure {
  int number = 0;
  std::string description;
};

/// The user stopped the run; it ends without a message and without writing anything.
struct Run_Cancelled {};

/// Ends the run when the user asked it to stop.
void Check_Cancel(const Creation_Run& run) {
  if (Cancel_Requested(run.ui)) throw Run_Cancelled{};
}

std::string Unpredictable_Error(const Creation_Run& run, int number,
                                const std::string& description) {
  return "Unpredictable error No. " + std::to_string(number) + " - " + description +
         " occured on " + run.Status_Text + "! Creation of CD+G data was abandoned!\n" +
         Error_Report_Request();
}

std::string Output_Failure_Message(const Creation_Run& run, const Output_Error& error) {
  switch (error.kind) {
    case Output_Error::Bad_Wav:
    case Output_Error::Cannot_Write:
      return error.description;
    case Output_Error::Bad_Name:
      return "The volume you want to write the CDG/BIN file to does not exist!\n" +
             error.description;
    case Output_Error::Access:
      return "Please check the filenames! One given path doesn't exist!\n" + error.description;
    default:
      return Unpredictable_Error(run, 57, "Device I/O error (" + error.description + ")");
  }
}

/// The error trap of the run: whatever goes wrong inside work is reported with the phase the
/// run was in, and the run ends with false.
template <class Work>
bool Trapped(Creation_Run& run, Work&& work) {
  try {
    return work();
  } catch (const Run_Cancelled&) {
    Set_Run_Status(run, "cancelled");
  } catch (const Run_Failure& failure) {
    Show_Message(run.ui, Unpredictable_Error(run, failure.number, failure.description));
  } catch (const std::bad_alloc&) {
    Show_Message(run.ui, Unpredictable_Error(run, 7, "Out of memory"));
  } catch (const std::exception& e) {
    Show_Message(run.ui, Unpredictable_Error(run, 51, std::string("Internal error: ") + e.what()));
  }
  return false;
}

/// CInt: rounded half to even; a value outside 16 bits is an overflow.
int CInt(double value) {
  double rounded = std::nearbyint(value);
  if (!(rounded >= -32768 && rounded <= 32767)) throw Run_Failure{6, "Overflow"};
  return static_cast<int>(rounded);
}

std::string Output_Directory(const std::string& output) {
  std::size_t cut = output.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : output.substr(0, cut);
}

/// Focus on txt_Filename(index), named by its key in the option store.
void Focus_File_Name(const Ui& ui, int index) {
  Control control;
  control.Name = "txt_Filename";
  control.Index = index;
  Focus(ui, Controls::Key(control));
}

// The click's checks, in their order; each returns false when the click ends.

bool Check_File_Names(const Controls& c, const Ui& ui) {
  const std::string output = c.Text("txt_Filename", 2);
  const std::string wav = c.Text("txt_Filename", 1);
  if (output.empty()) {
    Show_Message(ui, wav.empty() ? "Please input the filename for the CD+G file!"
                                 : "Please input the filename for the BIN file!");
    return false;
  }
  std::error_code ec;
  if (wav.empty()) {
    if (!Is_Valid_Time(c.Text("Txt_TotalTime"))) {
      Show_Message(ui,
                   "Please input the total time of the destination track in seconds or in format "
                   "MM:SS!");
      return false;
    }
  } else if (!std::filesystem::is_regular_file(wav, ec)) {
    const std::string kind = Special_File_Kind(wav);
    Show_Message(ui,
                 (kind.empty() ? std::string("The WAV file you specified isn't there.")
                               : "The WAV file " + wav + " is " + kind + ", not a regular file.") +
                     " Please specify an existing WAV file or leave the field blank for"
                     " creating a CDG file!");
    Focus_File_Name(ui, 1);
    return false;
  }
  const std::string directory = Output_Directory(output);
  if (!directory.empty() && !std::filesystem::is_directory(directory, ec)) {
    Show_Message(ui, "The directory you want to write the CDG/BIN file to does not exist!");
    Focus_File_Name(ui, 2);
    return false;
  }
  return true;
}

bool Confirm_Overwrite(const Controls& c, const Ui& ui) {
  const std::string output = c.Text("txt_Filename", 2);
  std::error_code ec;
  if (!std::filesystem::exists(output, ec)) return true;
  if (Ask(ui, "The file \"" + output + "\" already exists! Do you want to overwrite it?") ==
      Answer::Yes)
    return true;
  Focus_File_Name(ui, 2);
  return false;
}

bool Check_Minimum_Times(const Controls& c, const Ui& ui) {
  Minimum_Times times = Read_Minimum_Times(c);
  if (times.shown <= 0) {
    Show_Message(ui, "The time the lyrics are shown before wiping must be greater than 0!");
    return false;
  }
  if (times.shown < times.gap) {
    Show_Message(ui,
                 "The time the lyrics are shown before wiping must be greater or equal to the "
                 "minimum gap for clearing!");
    return false;
  }
  return true;
}

/// Seconds of a time text box, or fallback when its text is not a valid time.
double Time_Or(const Controls& c, const std::string& name, int index, double fallback) {
  std::string text = c.Text(name, index);
  return Is_Valid_Time(text) ? Parse_Time(text) : fallback;
}

void Read_Timebase(Creation_Settings& s, const Controls& c) {
  for (int i = 1; i <= 3; ++i) {
    std::string source = c.Text("Txt_Source", i), dest = c.Text("Txt_Dest", i);
    bool valid = Is_Valid_Time(source) && Is_Valid_Time(dest);
    s.timebase_source[i] = valid ? Parse_Time(source) : -999;
    s.timebase_dest[i] =
        valid ? Parse_Time(dest) * Packs_Per_Second + static_cast<double>(s.intro_silence_packs)
              : -999;
  }
}

// Create_CDG's steps.

void Start_Run(Creation_Run& run, const Song& song) {
  const Creation_Settings& s = run.Settings;
  if (s.Lines_Per_Screen == 0) throw Run_Failure{11, "Division by zero"};
  if (s.Lines_Per_Screen < 0) throw Run_Failure{380, "Invalid property value"};
  if (s.Lines_Per_Screen > 100) throw Run_Failure{9, "Subscript out of range"};
  run.Last_Pack = 0;
  run.Screen_Count = 1;
  run.Screen_Line_Count[1] = 0;
  run.Lines_Per_Screen = s.Lines_Per_Screen;
  run.Work_Palette = song.Palette;
  run.Fade_Packs = s.Fading_Style == "None" ? 0 : 300;
}

/// The length of the destination track: the total time entered, or the WAV's length, raised to
/// the last timing point.
void Set_Total_Time(Creation_Run& run, const Song& song) {
  if (!run.Settings.Wav_File.empty()) {
    std::error_code ec;
    auto bytes = std::filesystem::file_size(run.Settings.Wav_File, ec);
    run.Total_Time = ec ? 0 : static_cast<double>(bytes) / Wav_Bytes_Per_Second;
  }
  run.Total_Time = std::max(run.Total_Time, Last_Timing_Point(song));
}

void Size_Pack_Buffer(Creation_Run& run) {
  double last_slot = std::nearbyint((run.Total_Time + 20) * Packs_Per_Second);
  // The total is never negative (it is raised to the last timing point), but may be absurd.
  if (!(last_slot <= Max_Stream_Slots)) throw Run_Failure{6, "Overflow"};
  run.Pack_Buffer.Resize(static_cast<std::int64_t>(last_slot));
  run.last_color_pack = std::min(run.last_color_pack, run.Pack_Buffer.Last_Slot());
}

void Clear_Screen_Tables(Creation_Run& run) {
  for (coloring_line& line : run.coloring_table) {
    line.Screen_Of_Line = 0;
    line.Slot_Of_Line = 0;
    line.First_Wipe_Pack = 0;
    line.Last_Wipe_Pack = 0;
  }
  run.Screen_Line_Count.fill(0);
  for (auto& screen_lines : run.Screen_Lines) screen_lines.fill(0);
}

void Raise_Last_Pack(Creation_Run& run) {
  run.Last_Pack = std::max(run.Last_Pack, run.Pack_Pointer + 1);
}

void Prepare_Wipes(Creation_Run& run, const Song& song, Surface& work) {
  const int lines = std::min(Line_Count(song), Max_Lines);
  for (int line = 1; line <= lines; ++line) {
    Check_Cancel(run);
    Set_Run_Status(run, "creating wiping packs for line " + std::to_string(line));
    Prepare_Wipe_Packs(run, song, work, line);
  }
}

/// Rows above and below its print origin that a line's letters take.
struct Ink_Rows {
  int top = 0;
  int bottom = -1;
};

Ink_Rows Text_Rows(Creation_Run& run, const Song& song, Surface& work) {
  Ink_Rows rows{Inner_Height, -Inner_Height};
  const int lines = std::min(Line_Count(song), Max_Lines);
  for (int line = 1; line <= lines; ++line)
    for (const Line_Pixel& pixel : Picture_Of(run, song, work, line)) {
      rows.top = std::min<int>(rows.top, pixel.y);
      rows.bottom = std::max<int>(rows.bottom, pixel.y);
    }
  return rows;
}

/// Moves the print origin up when the bottom slot's letters would run off the screen, or down
/// when the top slot's would, as far as the other edge allows.
void Keep_Text_On_Screen(Creation_Run& run, const Song& song, Surface& work) {
  const Ink_Rows rows = Text_Rows(run, song, work);
  if (rows.bottom < rows.top) return;
  const int last_top = Slot_Top(run.Lines_Per_Screen, run.Lines_Per_Screen);
  const int overrun = last_top + run.Line_Y_Offset + rows.bottom - (Inner_Height - 1);
  if (overrun > 0) run.Line_Y_Offset -= overrun;
  const int above = -(run.Line_Y_Offset + rows.top);
  if (above > 0 && last_top + run.Line_Y_Offset + above + rows.bottom < Inner_Height)
    run.Line_Y_Offset += above;
}

void Add_Once(std::vector<int>& lines, int line) {
  if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
}

/// Adds the lines of screen s whose letters leave the screen or share a pixel with a neighbour.
void Find_Cut_Lines(Creation_Run& run, const Song& song, Surface& work, int s,
                    std::vector<int>& cut) {
  std::vector<int> owner(static_cast<std::size_t>(Inner_Height * Screen_Pixels::Columns), 0);
  for (int p = 1; p <= run.Screen_Line_Count[static_cast<std::size_t>(s)]; ++p) {
    const int line = run.Screen_Lines[static_cast<std::size_t>(s)][static_cast<std::size_t>(p)];
    const coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
    if (line < 1 || rec.Slot_Of_Line < 1) continue;
    const int origin = Slot_Top(rec.Slot_Of_Line, run.Lines_Per_Screen) + run.Line_Y_Offset;
    for (const Line_Pixel& pixel : Picture_Of(run, song, work, line)) {
      const int y = origin + pixel.y;
      if (y < 0 || y >= Inner_Height) {
        Add_Once(cut, line);
        continue;
      }
      int& other = owner[static_cast<std::size_t>(y * Screen_Pixels::Columns + pixel.x)];
      if (other != 0 && other != line) {
        Add_Once(cut, other);
        Add_Once(cut, line);
      }
      other = line;
    }
  }
}

/// Tells the user, before anything is written, which lines cannot be drawn whole.
void Tell_Cut_Lines(Creation_Run& run, const Song& song, Surface& work) {
  std::vector<int> cut;
  for (int s = 1; s <= run.Screen_Count; ++s) Find_Cut_Lines(run, song, work, s, cut);
  if (cut.empty()) return;
  std::sort(cut.begin(), cut.end());
  std::string list;
  for (int line : cut) list += (list.empty() ? "" : ", ") + std::to_string(line);
  Show_Message(run.ui, "The font is too large for " + std::to_string(run.Lines_Per_Screen) +
                           " lines on a screen: line(s) " + list +
                           " will be drawn cut. Choose a smaller font or fewer lines on a screen.");
}

void Create_Screens(Creation_Run& run, const Song& song, Surface& work) {
  for (int s = 1; s <= run.Screen_Count + 1; ++s) {
    Check_Cancel(run);
    Set_Run_Status(run, "creating screen # " + std::to_string(s));
    Create_Screen(run, song, work, s);
    Process_Events(run.ui);
  }
}

bool Write_Output(Creation_Run& run) {
  Check_Cancel(run);
  Set_Run_Status(run, "writing CDG file");
  const Creation_Settings& s = run.Settings;
  Output_Error error;
  bool written = !s.Wav_File.empty() && File_Exists(run.ui, s.Wav_File)
                     ? Write_Bin_File(run, s.Wav_File, s.Output_File, error)
                     : Write_Cdg_File(run, s.Output_File, error);
  if (!written) Show_Message(run.ui, Output_Failure_Message(run, error));
  return written;
}

}  // namespace

Minimum_Times Read_Minimum_Times(const Controls& controls) {
  Minimum_Times times;
  times.gap = Time_Or(controls, "txt_Minimum_gap", -1, 4);
  times.shown = Time_Or(controls, "txt_Minimum_shown", -1, times.gap);
  return times;
}

double Last_Timing_Point(const Song& song) {
  std::int64_t latest = 0;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[f];
    if (Is_Picture_Field(field)) continue;
    for (int k = 1; k <= Event_Count(field.Events); ++k)
      latest = std::max(latest, Event_Time_Packs(field.Events, k));
  }
  return static_cast<double>(latest) / Packs_Per_Second;
}

void Measure_Line_Y_Offset(Creation_Run& run, const Song& song) {
  const int lines = run.Lines_Per_Screen;
  const double largest_size = std::floor(120.0 / lines);
  Surface screen(Inner_Width, Inner_Height, qRgb(0, 0, 255));
  screen.Set_Color(qRgb(255, 255, 255));
  int top = 200, bottom = 0;
  for (std::size_t k = 1; k < song.Text_Styles.size(); ++k) {
    Font_Rec font = song.Text_Styles[k].Font;
    font.Font_Size = std::min(font.Font_Size, largest_size);
    screen.Cls();
    screen.Set_Font(font);
    screen.Set_Pos(0, 100);
    screen.Print(QStringLiteral(u"\u00D6g)"));
    for (int y = 0; y < Inner_Height; ++y)
      for (int x = 0; x < Inner_Width; ++x)
        if (screen.Pixel(x, y) != screen.Background()) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
          break;
        }
  }
  top += 5;
  bottom -= 2;
  run.Line_Y_Offset = static_cast<int>(std::floor(192.0 / lines / 2)) -
                      (static_cast<int>(std::floor((top + bottom + 1) / 2.0)) - 100);
}

std::string Read_Creation_Settings(Creation_Run& run, Song& song) {
  const Controls& c = song.Window_Controls;
  Creation_Settings& s = run.Settings;
  s.Output_File = c.Text("txt_Filename", 2);
  s.Wav_File = c.Text("txt_Filename", 1);
  s.Wiping_Style = c.Text("Com_WipingStyle");
  s.Fading_Style = c.Text("Com_FadingStyle");
  Minimum_Times times = Read_Minimum_Times(c);
  s.Minimum_Gap = times.gap;
  s.Minimum_Shown = times.shown;
  s.Lines_Per_Screen = CInt(Val(c.Text("txt_lines_on_screen")));
  s.Reverse_Transparency = c.Checked("Chk_Reverse");
  s.Reduce_Framerate = c.Checked("chk_framerate");
  s.Blank_Audio = c.Checked("Chk_Blank");
  double silence = Time_Or(c, "Txt_Silence", -1, 0);
  s.intro_silence_packs = static_cast<std::int64_t>(
      std::clamp(std::nearbyint(silence * Packs_Per_Second), -Max_Stream_Slots, Max_Stream_Slots));
  Read_Timebase(s, c);
  Normalise_Timebase(s);
  run.Total_Time = Time_Or(c, "Txt_TotalTime", -1, 0);
  song.Audio_File = c.Text("txt_Filename", 0);
  song.Wav_File = s.Wav_File;
  song.Suppress_Text_Events = true;
  Apply_Wiping_Style(song, s.Wiping_Style);
  std::string warning = Layout_Text(song);
  song.Suppress_Text_Events = false;
  return warning;
}

bool Create_CDG(Creation_Run& run, Song& song) {
  return Trapped(run, [&] {
    Start_Run(run, song);
    Set_Total_Time(run, song);
    Size_Pack_Buffer(run);
    Set_Run_Status(run, "finding offsets");
    Measure_Line_Y_Offset(run, song);
    Surface work = Make_Work_Picture();
    Keep_Text_On_Screen(run, song, work);
    Set_Run_Status(run, "preparing lyrics lines");
    Clear_Screen_Tables(run);
    Assign_Lines_To_Screens(run, song);
    Tell_Cut_Lines(run, song, work);
    Prepare_Wipes(run, song, work);
    Raise_Last_Pack(run);
    Create_Screens(run, song, work);
    Raise_Last_Pack(run);
    bool written = Write_Output(run);
    Set_Run_Status(run, "erasing packs");
    if (written) Show_Message(run.ui, "Finished writing of file " + run.Settings.Output_File + "!");
    run.Pack_Buffer.Erase();
    return written;
  });
}

bool But_CDG_Create_Click(Song& song, const Ui& ui) {
  auto run = std::make_unique<Creation_Run>();
  run->ui = ui;
  Set_Run_Status(*run, "processing Text boxes");
  const Controls& c = song.Window_Controls;
  if (!Check_File_Names(c, ui) || !Confirm_Overwrite(c, ui) || !Check_Minimum_Times(c, ui))
    return false;
  bool written = Trapped(*run, [&] {
    Set_Run_Status(*run, "saving CDG screen");
    std::string warning = Read_Creation_Settings(*run, song);
    if (!warning.empty() &&
        Ask(ui, "Warning: " + warning + " Do you want to continue?") != Answer::Yes)
      return false;
    build_coloring_table(*run, song);
    song.Suppress_Text_Events = true;
    Set_Run_Status(*run, "creating CDG data");
    return Create_CDG(*run, song);
  });
  song.Suppress_Text_Events = false;
  return written;
}

}  // namespace lyricanvas
