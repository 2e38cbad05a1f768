#include "timing/mouse_wiping.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "timing/areas.h"
#include "timing/timing_view.h"

namespace lyricanvas {

namespace {

constexpr int Least_Gap_To_Fill = 3;  ///< pixels between the press and the first drag sample
constexpr int Most_Samples_For_Fill = 400;
constexpr int No_Sample_Position = 125;  ///< a field no sample fell into wipes to its middle

int X_At(const Song& song, int offset) {
  return offset >= 0 && offset <= Max_Char_X ? song.Char_X[static_cast<std::size_t>(offset)] : 0;
}

int Line_At(const Timing_Editor& te, int y) {
  return static_cast<int>(std::floor(y / double(View_Row_Height))) + te.VSc_Line_Value;
}

void Set_Char_Field(Song& song, int position, int f) {
  if (position >= 0 && position < static_cast<int>(song.Char_Field.size()))
    song.Char_Field[static_cast<std::size_t>(position)] = static_cast<std::int16_t>(f);
}

void Set_Field_Chars(Song& song, int first, int last, int f) {
  for (int c = first; c <= last; ++c) Set_Char_Field(song, c, f);
}

void Empty_Field(Field_Rec& field) { field = Field_Rec{}; }

// Samples between the press and the first drag sample when the pointer jumped ahead at once.
void Fill_First_Gap(Timing_Editor& te) {
  const int jump = te.Sample_X[1] - te.Sample_X[0];
  const int n = te.Sample_Count;
  if (jump < Least_Gap_To_Fill || n < 3 || n > Most_Samples_For_Fill) return;
  const int inserted = std::min(jump - 1, Max_Samples - n);
  std::copy_backward(te.Sample_X.begin() + 1, te.Sample_X.begin() + n + 1,
                     te.Sample_X.begin() + n + 1 + inserted);
  std::copy_backward(te.Sample_Time.begin() + 1, te.Sample_Time.begin() + n + 1,
                     te.Sample_Time.begin() + n + 1 + inserted);
  const double t0 = te.Sample_Time[0];
  const double t1 = te.Sample_Time[static_cast<std::size_t>(inserted) + 1];
  for (int i = 1; i <= inserted; ++i) {
    te.Sample_X[static_cast<std::size_t>(i)] = te.Sample_X[0] + i;
    te.Sample_Time[static_cast<std::size_t>(i)] = t0 + (t1 - t0) * i / jump;
  }
  te.Sample_Count = n + inserted;
}

struct New_Field {
  int field = 0;
  int left = 0;
  int width = 0;
};

// The character under a sample, one less when it starts right of the sample.
int Char_At_Sample(const Song& song, int line, int x) {
  int c = Char_Under(song, line, x);
  if (c > 0 && X_At(song, c - 1) > x) --c;
  return c;
}

bool Range_Has_Picture(const QString& text, int a, int b) {
  for (int c = a; c <= b; ++c)
    if (c >= 1 && c <= text.size() && Is_Picture_Char(text[c - 1])) return true;
  return false;
}

void Remove_Old_Fields(Song& song, const Ui& ui, int a, int b) {
  for (int c = a; c <= b; ++c) {
    const int f = Field_At_Char(song, c);
    if (f < 1 || f > song.Field_Count) continue;
    Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
    for (int p = field.First_Char; p <= field.Last_Char; ++p) {
      if (Field_At_Char(song, p) != f) continue;
      Set_Char_Field(song, p, 0);
      Debug_Log(ui, "Set field of char " + std::to_string(p) + " to 0");
    }
    Empty_Field(field);
    Debug_Log(ui, "Old field " + std::to_string(f) + " deleted.");
  }
}

// One field per character a..b; ends early where x stops rising or the tables are full.
std::vector<New_Field> Insert_New_Fields(Song& song, const Ui& ui, int a, int& b) {
  std::vector<New_Field> made;
  for (int c = a; c <= b; ++c) {
    if (static_cast<int>(made.size()) == Max_Wiped_New_Fields || song.Field_Count >= Max_Fields) {
      b = c - 1;
      break;
    }
    const int f = ++song.Field_Count;
    song.Fields[static_cast<std::size_t>(f)] = Field_Rec{static_cast<std::int16_t>(c),
                                                         static_cast<std::int16_t>(c), {}};
    Set_Char_Field(song, c, f);
    const int x = X_At(song, c - 1);
    if (!made.empty() && x <= made.back().left) {
      Empty_Field(song.Fields[static_cast<std::size_t>(f)]);
      --song.Field_Count;
      Set_Char_Field(song, c, 0);
      Debug_Log(ui, "Last field deleted -> Char at position " + std::to_string(c) + " = 0");
      b = c - 1;
      break;
    }
    made.push_back({f, x, X_At(song, c) - x});
  }
  Debug_Log(ui, "Resulting fields: ");
  for (const New_Field& n : made)
    Debug_Log(ui, std::to_string(n.field) + ": X row " + std::to_string(n.left) + " Width " +
                      std::to_string(n.width));
  return made;
}

std::int64_t Sample_Packs(const Timing_Editor& te, int i) {
  return static_cast<std::int64_t>(std::floor(te.Sample_Time[static_cast<std::size_t>(i)] * 300));
}

// Walks the samples against the new fields in order and writes their events.
void Write_Sample_Events(const Timing_Editor& te, Song& song, const std::vector<New_Field>& made) {
  std::vector<std::string> events(made.size());
  std::int64_t last_time = 0;
  std::size_t j = 0;
  auto close_field = [&]() {
    if (events[j].empty()) events[j] = Encode_Event(No_Sample_Position, last_time);
    song.Fields[static_cast<std::size_t>(made[j].field)].Events = events[j];
    ++j;
  };
  for (int i = 0; i <= te.Sample_Count && j < made.size(); ++i) {
    const int x = te.Sample_X[static_cast<std::size_t>(i)];
    while (j < made.size() && x >= made[j].left + made[j].width) close_field();
    if (j == made.size() || x < made[j].left || made[j].width <= 0) continue;
    const std::int64_t t = Sample_Packs(te, i);
    if (t <= 0) continue;
    const int p = std::min(
        static_cast<int>(std::nearbyint(double(x - made[j].left) / made[j].width * 250 + 1)), 250);
    events[j] += Encode_Event(p, t);
    last_time = t;
  }
  while (j < made.size()) close_field();
}

}  // namespace

int Char_Under(const Song& song, int line, int x) {
  const auto [first, last] = Line_Chars(song, line);
  if (last < first) return 0;
  for (int c = first; c <= last; ++c)
    if (X_At(song, c) > x) return c;
  return last;
}

Mouse_Result Pic_Indication_MouseDown(Timing_Editor& te, Song& song, Mouse_Button button, int x,
                                      int y, double song_time, bool playing) {
  te.Mouse_Down = true;
  const Controls& c = song.Window_Controls;
  if (!c.Checked("Chk_Tabmode")) {
    if (!playing && !c.Checked("Chk_MouseTimer")) return {};
    te.Mouse_Wiping = true;
    te.Current_Line = Line_At(te, y);
    te.Sample_Count = 0;
    te.Sample_X[0] = x;
    te.Sample_Time[0] = song_time;
    Render_Wiped_Line(te, song, te.Current_Line);
    return {c.Checked("Chk_MouseTimer") && !playing};
  }
  if (button == Mouse_Button::Right) {
    Toggle_Syllable_Break(te, song, x, y);
    Redraw_View(te, song, te.VSc_Line_Value);
  } else if (x > 0) {
    Select_Field_At(te, song, x, y);
  }
  return {};
}

void Pic_Indication_MouseMove(Timing_Editor& te, const Song& song, int x, double song_time) {
  if (!te.Mouse_Wiping || te.Sample_Count >= Max_Samples) return;
  const int previous = te.Sample_X[static_cast<std::size_t>(te.Sample_Count)];
  if (x <= previous) return;
  const int n = ++te.Sample_Count;
  te.Sample_Time[static_cast<std::size_t>(n)] = song_time;
  te.Sample_X[static_cast<std::size_t>(n)] = x;
  Copy_Wiped_Columns(te, song, te.Current_Line, previous, x);
}

Mouse_Result Pic_Indication_MouseUp(Timing_Editor& te, Song& song, const Ui& ui) {
  te.Mouse_Down = false;
  if (!te.Mouse_Wiping) return {};
  Finish_Mouse_Wipe(te, song, ui);
  // The mouse button is the timer: letting go stops the song (and steps it back, as a stop does).
  return {false, song.Window_Controls.Checked("Chk_MouseTimer")};
}

void Toggle_Syllable_Break(Timing_Editor& te, Song& song, int x, int y) {
  te.Current_Line = Line_At(te, y);
  int c = Char_Under(song, te.Current_Line, x);
  if (c == 0) return;
  if (std::abs(X_At(song, c - 1) - x) < std::abs(X_At(song, c) - x)) --c;
  const int f1 = Field_At_Char(song, c);
  const int f2 = Field_At_Char(song, c + 1);
  if (f1 == 0 || f2 == 0) return;  // a boundary next to unfielded text separates nothing
  Field_Rec& first = song.Fields[static_cast<std::size_t>(f1)];
  if (f1 != f2) {
    Field_Rec& second = song.Fields[static_cast<std::size_t>(f2)];
    Set_Field_Chars(song, second.First_Char, second.Last_Char, f1);
    first.Last_Char = second.Last_Char;
    Empty_Field(second);
    return;
  }
  if (song.Field_Count >= Max_Fields) return;
  const int f = ++song.Field_Count;
  song.Fields[static_cast<std::size_t>(f)] =
      Field_Rec{static_cast<std::int16_t>(c + 1), first.Last_Char, first.Events};
  Set_Field_Chars(song, c + 1, first.Last_Char, f);
  first.Last_Char = static_cast<std::int16_t>(c);
}

void Select_Field_At(Timing_Editor& te, Song& song, int x, int y) {
  Mark_Field(te, song, te.Current_Field, song.Palette_RGB[0]);
  te.Current_Line = Line_At(te, y);
  const int c = Char_Under(song, te.Current_Line, x);
  const int f = c > 0 ? Field_Containing(song, c) : 0;
  if (f == 0) return;
  Mark_Field(te, song, f, Mark_White);
  te.Current_Field = te.Held_Field = te.Clicked_Field = f;
  te.Last_Release_Time = 0;
  te.Last_Wiped_Char = 0;
}

void Finish_Mouse_Wipe(Timing_Editor& te, Song& song, const Ui& ui) {
  te.Mouse_Wiping = false;
  Fill_First_Gap(te);
  const int n = te.Sample_Count;
  const int first_x = te.Sample_X[0];
  const int last_x = te.Sample_X[static_cast<std::size_t>(n)];
  Debug_Log(ui, "Mouse button depressed at: " + std::to_string(first_x));
  Debug_Log(ui, "Mouse button released at: " + std::to_string(last_x));
  const QString text = song.RTB_Raw.Text();
  const auto [line_first, line_last] = Line_Chars(song, te.Current_Line);
  int a = Char_At_Sample(song, te.Current_Line, first_x);
  while (a >= 1 && a < line_last && text[a - 1].unicode() <= ' ') ++a;
  int b = std::min(Char_At_Sample(song, te.Current_Line, last_x), line_last);
  if (a < line_first || b == 0 || b <= a) return;
  if (Range_Has_Picture(text, a, b)) {
    Show_Message(ui, "This line contains a picture and can't be wiped!");
    return;
  }
  Remove_Old_Fields(song, ui, a, b);
  Debug_Log(ui, "Wiped part of line: " + text.mid(a - 1, b - a + 1).toStdString());
  Debug_Log(ui, "Inserting new fields from " + std::to_string(a) + " to " + std::to_string(b));
  const std::vector<New_Field> made = Insert_New_Fields(song, ui, a, b);
  Write_Sample_Events(te, song, made);
  Cut_Areas(te, song, a, b);
  Add_Area(te, song, a, b, static_cast<double>(Sample_Packs(te, n)), te.Current_Line, true);
  for (int i = 0; i <= n; ++i)
    Debug_Log(ui, "Entered Wiping: " + std::to_string(i) + " ; " +
                      std::to_string(te.Sample_X[static_cast<std::size_t>(i)]) + " ; " +
                      std::to_string(te.Sample_Time[static_cast<std::size_t>(i)]));
}

}  // namespace lyricanvas
