#include "timing/areas.h"

#include <QDir>
#include <cmath>
#include <sstream>

#include "cdg/coloring.h"
#include "cdg/run_state.h"
#include "model/file_io.h"
#include "timing/timing_view.h"

namespace lyricanvas {

namespace {

constexpr int Area_Growth = 50;
constexpr double Longest_Pause = 4;  ///< seconds; longer pauses are reported as gaps
constexpr double Hold_Seconds = 500;  ///< after its last event an area holds at its end this long


bool Timed_Field(const Song& song, int f) {
  if (f < 1 || f > song.Field_Count) return false;
  const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
  return !field.Events.empty() && !Is_Picture_Field(field);
}

double First_Event_Time(const Song& song, int position) {
  return Field_Time(song, Field_At_Char(song, position), 1);
}

void Insert_Area(Timing_Editor& te, int at, const Area_Rec& area) {
  if (te.Area_Count + 1 >= static_cast<int>(te.Areas.size()))
    te.Areas.resize(static_cast<std::size_t>(te.Area_Count + 1 + Area_Growth));
  te.Areas.insert(te.Areas.begin() + at, area);
  te.Areas.pop_back();
  ++te.Area_Count;
}

void Delete_Area(Timing_Editor& te, int at) {
  te.Areas.erase(te.Areas.begin() + at);
  te.Areas.emplace_back();
  --te.Area_Count;
}

// A trimmed area starts over: the next replay step prepares it for the song time.
void Restart(Area_Rec& area) {
  area.Started = false;
  area.Finished = false;
}

void Skip_Unfielded_Start(const Song& song, Area_Rec& area) {
  while (Field_At_Char(song, area.Starting_Character) == 0 &&
         area.Starting_Character < area.Ending_Character)
    ++area.Starting_Character;
  area.Starting_Time = First_Event_Time(song, area.Starting_Character);
}

void Skip_Unfielded_End(const Song& song, Area_Rec& area) {
  while (Field_At_Char(song, area.Ending_Character) == 0 &&
         area.Ending_Character > area.Starting_Character)
    --area.Ending_Character;
}

// --- the event walk ---------------------------------------------------------------------------

/// The timed field after f whose first character still lies in the area; 0 when none.
int Next_Field_In_Area(const Song& song, const Area_Rec& area, int f) {
  for (int guard = 0; guard <= song.Field_Count; ++guard) {
    f = Next_Field(song, f);
    if (f == 0 || song.Fields[static_cast<std::size_t>(f)].First_Char > area.Ending_Character)
      return 0;
    if (Timed_Field(song, f)) return f;
  }
  return 0;
}

void Set_Next_Event(const Song& song, Area_Rec& area, int f, int k) {
  area.Next_Field = f;
  area.Next_Index_In_Field = k;
  area.Next_Time_Point = Field_Time(song, f, k);
  area.Next_Fieldleft = Field_Left(song, f);
  area.Current_Field_Width = Field_Width(song, f);
  area.Next_Column = area.Next_Fieldleft +
                     static_cast<int>(std::nearbyint(Event_Position(song, f, k) *
                                                     area.Current_Field_Width));
  area.Next_Line = Line_Of_Char(song, song.Fields[static_cast<std::size_t>(f)].First_Char);
}

// The next event becomes the previous one. Returns false when the area's events are exhausted:
// the wipe then holds at the end of the last field.
bool Advance_Event(const Song& song, Area_Rec& area) {
  area.Previous_Timepoint = area.Next_Time_Point;
  area.Previous_Column = area.Next_Column;
  area.Previous_Field = area.Next_Field;
  area.Previous_Index_In_Field = area.Next_Index_In_Field;
  area.Previous_Field_Left = area.Next_Fieldleft;
  area.Previous_Line = area.Next_Line;
  int f = area.Next_Field;
  int k = area.Next_Index_In_Field + 1;
  if (k > Event_Count(song.Fields[static_cast<std::size_t>(f)].Events)) {
    f = Next_Field_In_Area(song, area, f);
    k = 1;
  }
  if (f != 0) {
    Set_Next_Event(song, area, f, k);
    return true;
  }
  area.Next_Index_In_Field = 0;
  area.Next_Time_Point = area.Previous_Timepoint + Hold_Seconds;
  area.Previous_Column = area.Previous_Field_Left + area.Current_Field_Width;
  area.Next_Column = area.Previous_Column;
  return false;
}

bool Holding(const Area_Rec& area) { return area.Next_Index_In_Field == 0; }

void Walk_To(const Song& song, const Ui& ui, Area_Rec& area, double t) {
  while (t >= area.Next_Time_Point) {
    if (Holding(area) || !Advance_Event(song, area)) break;
  }
  if (Holding(area) && t >= area.Next_Time_Point && !area.Finished) {
    Show_Message(ui, "Error #5: next_index_time of area is smaller than curtime.\n" +
                         Error_Report_Request());
    area.Finished = true;  // said once; the area rests at its end
  }
}

void Compute_To_Wipe(const Song& song, Area_Rec& area, double t) {
  const double span = area.Next_Time_Point - area.Previous_Timepoint;
  const double frac = span > 0 ? std::min((t - area.Previous_Timepoint) / span, 1.0) : 1.0;
  const int width = std::max(area.Next_Column - area.Previous_Column, 0);
  int column = static_cast<int>(std::nearbyint(frac * width + area.Previous_Column - 1));
  int line = area.Previous_Line;
  const int last_line = std::min(Line_Count(song), Max_Lines);
  while (column > Line_End_Column(song, line) + song.Wipe_Margin && line < last_line) {
    column = column - Line_End_Column(song, line) + Line_Start_Column(song, line + 1);
    ++line;
  }
  area.To_Wipe_Column = column;
  area.To_Wipe_Line = line;
}

void Check_For_Starting(const Song& song, const Ui& ui, Area_Rec& area, double t) {
  if (!(t > area.Starting_Time)) return;
  area.Started = true;
  const int f = Field_At_Char(song, area.Starting_Character);
  const int left = Char_Left(song, area.Starting_Character);
  const int line = Line_Of_Char(song, area.Starting_Character);
  Set_Next_Event(song, area, f, 1);
  area.Next_Time_Point = area.Starting_Time;
  area.Current_Field_Width = Field_Left(song, f) + Field_Width(song, f) - left;
  area.Next_Fieldleft = left;
  area.Next_Column = std::max(area.Next_Column, left);
  area.Previous_Field = f;
  area.Previous_Index_In_Field = 1;
  area.Previous_Field_Left = left;
  area.Previous_Timepoint = area.Starting_Time;
  area.Previous_Column = left;
  area.Previous_Line = line;
  area.Wiped_Column = area.To_Wipe_Column = left;
  area.Wiped_Line = area.To_Wipe_Line = line;
  Walk_To(song, ui, area, t);
  Compute_To_Wipe(song, area, t);
}

struct Replay_Options {
  bool auto_scroll = false;
};

void Auto_Scroll(Timing_Editor& te, const Song& song, const Area_Rec& area) {
  if (te.Mouse_Down || area.Next_Line < te.VSc_Line_Value + 5 || te.VSc_Line_Value >= te.VSc_Line_Max)
    return;
  VSc_Line_Change(te, song, std::min(area.Next_Line - 4, te.VSc_Line_Max));
}

void Replay_Started_Area(Timing_Editor& te, const Song& song, const Ui& ui, Area_Rec& area,
                         double t, const Replay_Options& options) {
  if (!area.Finished) {
    Walk_To(song, ui, area, t);
    Compute_To_Wipe(song, area, t);
    if (area.To_Wipe_Column <= area.Wiped_Column && area.To_Wipe_Line <= area.Wiped_Line) return;
    for (int line = area.Wiped_Line; line <= area.To_Wipe_Line; ++line) {
      const int from = line == area.Wiped_Line ? area.Wiped_Column : Line_Start_Column(song, line);
      const int to = line == area.To_Wipe_Line ? area.To_Wipe_Column
                                               : Line_End_Column(song, line) + song.Wipe_Margin;
      Copy_Wiped_Columns(te, song, line, from, to);
    }
    area.Wiped_Column = area.To_Wipe_Column;
    area.Wiped_Line = area.To_Wipe_Line;
    if (t >= area.Ending_Time) area.Finished = true;
  }
  if (options.auto_scroll) Auto_Scroll(te, song, area);
}

std::string Yes_No(bool value) { return value ? "True" : "False"; }

template <typename T>
std::string Text_Of(T value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace

void Build_Areas(Timing_Editor& te, const Song& song) {
  te.Area_Count = 0;
  te.Areas.assign(Area_Growth + 1, Area_Rec{});
  const int length = song.RTB_Raw.Length();
  bool open = false;
  int previous_field = 0;
  auto close = [&](int last) {
    Area_Rec& area = te.Areas[static_cast<std::size_t>(te.Area_Count)];
    area.Ending_Character = last;
    area.Ending_Time = Field_Time(song, Field_At_Char(song, last), -1);
    open = false;
  };
  for (int c = 1; c <= length; ++c) {
    const int f = Field_At_Char(song, c);
    if (!Timed_Field(song, f)) {
      if (open) close(c - 1);
      previous_field = 0;
      continue;
    }
    if (open && f == previous_field) continue;
    if (open && Field_Time(song, f, 1) < Field_Time(song, previous_field, -1)) close(c - 1);
    if (!open) {
      Area_Rec area;
      area.Starting_Character = c;
      area.Starting_Time = Field_Time(song, f, 1);
      Insert_Area(te, te.Area_Count + 1, area);
      open = true;
    }
    previous_field = f;
  }
  if (open) close(length);
}

void Add_Area(Timing_Editor& te, const Song& song, int first, int last, double end_time, int line,
              bool redraw) {
  int at = 1;
  while (at <= te.Area_Count && te.Areas[static_cast<std::size_t>(at)].Starting_Character < first)
    ++at;
  Area_Rec area;
  area.Starting_Character = first;
  area.Ending_Character = last;
  Skip_Unfielded_End(song, area);
  if (Field_At_Char(song, area.Ending_Character) == 0) {
    // Only blanks: the area stays empty (start after end) and gets no times.
    area.Ending_Character = area.Starting_Character - 1;
  } else if (area.Starting_Character <= area.Ending_Character) {
    area.Starting_Time = First_Event_Time(song, first);
    area.Ending_Time = end_time / Packs_Per_Second;
  }
  Insert_Area(te, at, area);
  te.Last_Area = at;
  (void)line;  // the view has no per-line cache to invalidate: rows are drawn from the areas
  if (redraw) Redraw_View(te, song, te.VSc_Line_Value);
}

void Cut_Areas(Timing_Editor& te, const Song& song, int first, int last) {
  for (int i = 1; i <= te.Area_Count;) {
    Area_Rec& area = te.Areas[static_cast<std::size_t>(i)];
    const int s = area.Starting_Character;
    const int e = area.Ending_Character;
    if (s >= first && e <= last) {
      Delete_Area(te, i);
      continue;
    }
    if (s < first && e > last) {
      Area_Rec second = area;
      area.Ending_Character = first - 1;
      Skip_Unfielded_End(song, area);
      Restart(area);
      second.Starting_Character = last + 1;
      Skip_Unfielded_Start(song, second);
      Restart(second);
      Insert_Area(te, i + 1, second);
      i += 2;
      continue;
    }
    if (s < first && e >= first) {
      area.Ending_Character = first - 1;
      Skip_Unfielded_End(song, area);
      Restart(area);
    } else if (s <= last && e > last) {
      area.Starting_Character = last + 1;
      Skip_Unfielded_Start(song, area);
      Restart(area);
    }
    ++i;
  }
}

void Reset_Areas(Timing_Editor& te, const Song& song, const Ui& ui, double song_time) {
  for (int i = 1; i <= te.Area_Count; ++i) {
    Area_Rec& area = te.Areas[static_cast<std::size_t>(i)];
    if (song_time > area.Ending_Time) {
      area.Finished = area.Started = true;
      continue;
    }
    area.Finished = false;
    area.Started = area.Starting_Time < song_time;
    if (area.Started) Check_For_Starting(song, ui, area, song_time);
  }
}

void Replay_Events(Timing_Editor& te, Song& song, const Ui& ui, double song_time) {
  song.Song_Time = song_time;
  const Replay_Options options{song.Window_Controls.Checked("Chk_AutoScroll")};
  for (int i = 1; i <= te.Area_Count; ++i) {
    Area_Rec& area = te.Areas[static_cast<std::size_t>(i)];
    if (area.Starting_Character > area.Ending_Character) continue;
    // An area that starts in this step draws its first columns in it too.
    if (!area.Started) Check_For_Starting(song, ui, area, song_time);
    if (area.Started) Replay_Started_Area(te, song, ui, area, song_time, options);
  }
}

std::optional<std::pair<int, int>> Area_Wiped_Span(const Timing_Editor& te, const Song& song,
                                                   int i, int line) {
  const Area_Rec& area = te.Areas[static_cast<std::size_t>(i)];
  if (!area.Started || area.Starting_Character > area.Ending_Character) return std::nullopt;
  const int start_line = Line_Of_Char(song, area.Starting_Character);
  int end_line = area.Wiped_Line;
  int end_column = area.Wiped_Column;
  if (area.Finished) {
    end_line = Line_Of_Char(song, area.Ending_Character);
    end_column = Field_Right(song, Field_At_Char(song, area.Ending_Character)) - 1;
  }
  if (line < start_line || line > end_line) return std::nullopt;
  const int from = line == start_line ? Char_Left(song, area.Starting_Character)
                                      : Line_Start_Column(song, line);
  const int to = line == end_line ? end_column : Line_End_Column(song, line) + song.Wipe_Margin;
  if (to < from) return std::nullopt;
  return std::make_pair(from, to);
}

std::vector<Gap> Find_Gaps(Timing_Editor& te, const Song& song) {
  Build_Areas(te, song);
  std::vector<Gap> gaps;
  for (int i = 1; i <= te.Area_Count; ++i) {
    const double from = te.Areas[static_cast<std::size_t>(i - 1)].Ending_Time;
    const double to = te.Areas[static_cast<std::size_t>(i)].Starting_Time;
    if (to - from > Longest_Pause) gaps.push_back({from, to});
  }
  return gaps;
}

void Dump_Areas(const Timing_Editor& te, const Song& song, const Ui& ui) {
  Debug_Log(ui, "Number of areas: " + std::to_string(te.Area_Count));
  const QString text = song.RTB_Raw.Text();
  for (int i = 1; i <= te.Area_Count; ++i) {
    const Area_Rec& a = te.Areas[static_cast<std::size_t>(i)];
    const int s = a.Starting_Character;
    const int e = a.Ending_Character;
    Debug_Log(ui, "Dump of Area " + std::to_string(i) + ":");
    Debug_Log(ui, "Area text: '" + text.mid(s - 1, std::max(e - s + 1, 0)).toStdString() + "'");
    const std::pair<const char*, std::string> members[] = {
        {"Wiped column:", Text_Of(a.Wiped_Column)},
        {"To wipe column:", Text_Of(a.To_Wipe_Column)},
        {"Ending character:", Text_Of(e)},
        {"Ending time:", Text_Of(a.Ending_Time)},
        {"Finished:", Yes_No(a.Finished)},
        {"Next time point:", Text_Of(a.Next_Time_Point)},
        {"Next column:", Text_Of(a.Next_Column)},
        {"Next field:", Text_Of(a.Next_Field)},
        {"Next fieldleft:", Text_Of(a.Next_Fieldleft)},
        {"Next index in field:", Text_Of(a.Next_Index_In_Field)},
        {"Next line:", Text_Of(a.Next_Line)},
        {"Next time point:", Text_Of(a.Next_Time_Point)},
        {"Current field width:", Text_Of(a.Current_Field_Width)},
        {"Previous column:", Text_Of(a.Previous_Column)},
        {"Previous field:", Text_Of(a.Previous_Field)},
        {"Previous field left:", Text_Of(a.Previous_Field_Left)},
        {"Previous index in field:", Text_Of(a.Previous_Index_In_Field)},
        {"Previous line:", Text_Of(a.Previous_Line)},
        {"Previous timepoint:", Text_Of(a.Previous_Timepoint)},
        {"Starting character:", Text_Of(s)},
        {"Starting time:", Text_Of(a.Starting_Time)},
        {"Started:", Yes_No(a.Started)}};
    for (const auto& [label, value] : members) Debug_Log(ui, std::string(label) + " " + value);
    for (int c = s; c <= e; ++c)
      Debug_Log(ui, "   Field of char " + std::to_string(c) + " = " +
                        std::to_string(Field_At_Char(song, c)));
  }
}

std::string Field_Points_Text(const Song& song) {
  const QString text = song.RTB_Raw.Text();
  std::string out;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
    if (field.Last_Char <= 0) continue;
    const QString word = text.mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1);
    out += "Text '" + word.toStdString() + "' (at char no. " + std::to_string(field.First_Char) +
           ") has the following points:\r\n";
    out += "1st char ending at pixel column # " +
           std::to_string(field.First_Char >= 0 && field.First_Char <= Max_Char_X
                              ? song.Char_X[static_cast<std::size_t>(field.First_Char)]
                              : 0) +
           "\r\n";
    if (Is_Picture_Field(field)) {
      out += " (Picture field)\r\n";
      continue;
    }
    for (int k = 1; k <= Event_Count(field.Events); ++k)
      out += "Position: " + Text_Of(Event_Position(song, f, k)) +
             " Time: " + Text_Of(Field_Time(song, f, k)) + "\r\n";
  }
  return out;
}

std::string Field_Points_File_Name(const Song& song) {
  if (song.Project_File.size() > 4)
    return song.Project_File.substr(0, song.Project_File.size() - 4) + "_Debug.txt";
  return QDir::home().filePath(QStringLiteral("Lyricanvas_Debug.txt")).toStdString();
}

bool Dump_Field_Points(const Song& song, const Ui& ui, const std::string& path) {
  if (path.empty()) return false;
  Atomic_File file(path);
  file.Append(Field_Points_Text(song));
  File_Error error;
  if (file.Commit(error)) return true;
  Show_Message(ui, error.what + " '" + path + "' (error " + std::to_string(error.number) + ")");
  return false;
}

}  // namespace lyricanvas
