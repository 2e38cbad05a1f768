#include "timing/key_timing.h"

#include <algorithm>
#include <cmath>

#include "cdg/coloring.h"
#include "cdg/run_state.h"
#include "editing/syllables.h"
#include "model/layout.h"
#include "timing/areas.h"
#include "timing/mouse_wiping.h"
#include "timing/timing_view.h"

namespace lyricanvas {

namespace {

constexpr double Lead_Per_Consonant = 30;      ///< packs
constexpr double Largest_Lead_Start = 150000;  ///< packs
constexpr int Top_Rows_Before_Scroll = 4;

bool Is_Vowel(QChar c) {
  static const QString vowels = QStringLiteral(u"AaEeIiOoUu\u00C4\u00E4\u00D6\u00F6\u00FC\u00DCYy");
  return vowels.contains(c);
}

bool Is_Control_Or_Blank(const QString& text, int position) {
  return position >= 1 && position <= text.size() && text[position - 1].unicode() < 33;
}

Field_Rec* Field_Ptr(Song& song, int f) {
  return f >= 1 && f <= song.Field_Count ? &song.Fields[static_cast<std::size_t>(f)] : nullptr;
}

struct Lead_In {
  double lead = 0;
  int k = 0;  ///< characters from just after the last wiped one up to the vowel
  int n = 0;  ///< characters of the syllable before its vowel
};

Lead_In Consonant_Lead_In(const Timing_Editor& te, const QString& text, const Field_Rec& field,
                          int vowel, double t) {
  Lead_In in;
  in.n = vowel - 1;
  if (te.Last_Wiped_Char > 0) {
    int x = te.Last_Wiped_Char;
    while (x < field.Last_Char && Is_Control_Or_Blank(text, x + 1)) ++x;
    in.k = field.First_Char + in.n - x - 1;
    // A vowel that opens the syllable leaves no consonants to spread a lead-in over.
    if (in.k > 0 && in.n > 0) {
      const double d = std::floor(t - te.Last_Release_Time);
      in.lead = std::min(std::floor(d * in.k / in.n), Lead_Per_Consonant * in.k);
    }
  } else {
    int x = field.First_Char;
    in.lead = Lead_Per_Consonant * in.n;
    while (x < field.Last_Char && Is_Control_Or_Blank(text, x)) {
      ++x;
      in.lead -= Lead_Per_Consonant;
    }
  }
  return in;
}

// The events a press at t writes into a field: a lead-in start and the press at the vowel.
std::string Press_Events(const Timing_Editor& te, const Ui& ui, const QString& text,
                         const Field_Rec& field, double t) {
  const QString word = text.mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1);
  const int length = static_cast<int>(word.size());
  int vowel = 0;
  for (int i = 0; i < length && vowel == 0; ++i)
    if (Is_Vowel(word[i])) vowel = i + 1;
  Lead_In in;
  if (vowel >= 1) in = Consonant_Lead_In(te, text, field, vowel, t);
  std::string s;
  double left = in.lead;
  if (in.lead > 0) {
    const double t0 = std::floor(t - in.lead);
    if (t0 > Largest_Lead_Start)
      Show_Message(ui, "Error #3: Timediff is greater than 150000. \n" + Error_Report_Request());
    s += Encode_Event(1, static_cast<std::int64_t>(t0));
    left = t0;
  }
  int p = 1;
  const int span = length - in.n + in.k;
  if (length > 0 && in.k != 0 && span > 0 && left != 0)
    p = std::min(static_cast<int>(std::nearbyint(double(in.k) / span * 250 + 1)), 250);
  if (s.empty() || p > 1) s += Encode_Event(p, static_cast<std::int64_t>(t));
  return s;
}

// The line of a field's first printed character.
int Target_Line(const Song& song, int f) {
  const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
  const QString text = song.RTB_Raw.Text();
  int c = field.First_Char;
  while (c < field.Last_Char && c >= 1 && c <= text.size() &&
         (text[c - 1] == QChar(' ') || text[c - 1] == QChar('\r') || text[c - 1] == QChar('\n')))
    ++c;
  return Line_Of_Char(song, c);
}

// Brings the new current field into view and marks it; with render its line is made ready for
// the wipe copies and becomes the current line.
void Show_New_Current(Timing_Editor& te, Song& song, bool render) {
  if (te.Current_Field == 0) return;
  const int line = Target_Line(song, te.Current_Field);
  if (song.Window_Controls.Checked("Chk_AutoScroll") &&
      te.VSc_Line_Value < line - Top_Rows_Before_Scroll && te.VSc_Line_Value < te.VSc_Line_Max)
    VSc_Line_Change(te, song, std::min(line - Top_Rows_Before_Scroll, te.VSc_Line_Max));
  if (render) {
    Render_Wiped_Line(te, song, line);
    te.Current_Line = line;
  }
  Mark_Field(te, song, te.Current_Field, Mark_White);
}

bool Acts_Once(Timing_Editor& te) {
  if (te.Key_Held) return false;
  te.Key_Held = true;
  return true;
}

void Log(Timing_Editor& te, Log_Key key, double song_time) {
  te.Key_Log.push_back({song_time, key});
}

}  // namespace

void Release_Held_Press(Timing_Editor& te, Song& song, double song_time) {
  if (!te.Space_Pressed) return;
  te.Space_Pressed = false;
  Log(te, Log_Key::Release, song_time);
  if (song.Window_Controls.Checked("Chk_Tabmode"))
    Release_Timing_Key(te, song, Key_Time_Packs(song, song_time));
}

void Chk_Tabmode_Click(Timing_Editor& te, Song& song, const Ui& ui) {
  // The program setting the box (opening a project) must not break the lyrics up again.
  if (song.Suppress_Text_Events) return;
  if (song.Window_Controls.Checked("Chk_Tabmode")) {
    Break_Syllables(song, ui);
    Layout_Text(song);
    te.Hidden_Line = 0;
  }
  te.Pic_Indication.Cls();
  Redraw_View(te, song, te.VSc_Line_Value);
}

double Key_Time_Packs(const Song& song, double song_time) {
  const Controls& c = song.Window_Controls;
  const double delay_ms = std::max(0.0, std::atof(c.Text("Txt_KeyDelay").c_str()));
  // The delay is the user's, in wall time; at half speed it covers half as much of the song.
  const double rate = c.Checked("Chk_HalfSpeed") ? 0.5 : 1.0;
  const double t = std::max(0.0, song_time - delay_ms / 1000 * rate);
  return std::floor(t * Packs_Per_Second);
}

Key_Result Form_KeyDown(Timing_Editor& te, Song& song, const Ui& ui, Timing_Key key,
                        double song_time, bool playing) {
  const bool tab_mode = song.Window_Controls.Checked("Chk_Tabmode");
  switch (key) {
    case Timing_Key::Space:
      if (!playing) return {};
      if (Acts_Once(te)) {
        Log(te, Log_Key::Press, song_time);
        te.Space_Pressed = true;
        if (tab_mode) Press_Timing_Key(te, song, ui, Key_Time_Packs(song, song_time));
      }
      return {true, false};
    case Timing_Key::C:
    case Timing_Key::S:
      if (Acts_Once(te)) {
        const bool clear = key == Timing_Key::C;
        Log(te, clear ? Log_Key::Clear : Log_Key::Skip, song_time);
        if (tab_mode) Advance_Field(te, song, clear);
      }
      return {true, false};
    case Timing_Key::Up:
    case Timing_Key::Down:
      Log(te, key == Timing_Key::Up ? Log_Key::Up : Log_Key::Down, song_time);
      Jump_Line(te, song, key == Timing_Key::Up ? -1 : 1);
      return {};
    case Timing_Key::B:
      // The song goes back: a syllable still held ends now, or its release, stamped later at an
      // earlier song time, would come before its own press.
      Release_Held_Press(te, song, song_time);
      Log(te, Log_Key::Back, song_time);
      return {false, true};
    case Timing_Key::Other:
      return {};
  }
  return {};
}

void Form_KeyUp(Timing_Editor& te, Song& song, Timing_Key key, double song_time) {
  if (key != Timing_Key::Space && key != Timing_Key::C && key != Timing_Key::S) return;
  te.Key_Held = false;
  if (key == Timing_Key::Space) Release_Held_Press(te, song, song_time);
}

void Press_Timing_Key(Timing_Editor& te, Song& song, const Ui& ui, double press_time) {
  Field_Rec* field = Field_Ptr(song, te.Current_Field);
  if (!field || Is_Empty(*field)) return;
  const std::string events = Press_Events(te, ui, song.RTB_Raw.Text(), *field, press_time);
  if (!Is_Picture_Field(*field)) field->Events = events;
  te.Held_Field = te.Current_Field;
  Show_Field_Wiped(te, song, te.Held_Field);
  const int a = field->First_Char;
  const int b = field->Last_Char;
  Cut_Areas(te, song, a, b);
  const int last = std::min<int>(b, static_cast<int>(song.Char_Field.size()) - 1);
  for (int c = std::max(a, 0); c <= last; ++c)
    song.Char_Field[static_cast<std::size_t>(c)] = static_cast<std::int16_t>(te.Held_Field);
  if (Is_Picture_Field(*field))
    te.Last_Area = 0;  // a picture is not wiped: its record holds no times to show
  else
    Add_Area(te, song, a, b, press_time, Line_Of_Char(song, a), false);
  te.Last_Wiped_Char = b;
  te.Current_Field = Next_Field(song, te.Held_Field);
  Show_New_Current(te, song, true);
}

void Release_Timing_Key(Timing_Editor& te, Song& song, double release_time) {
  Field_Rec* field = Field_Ptr(song, te.Held_Field);
  if (!field) return;
  double r = 0;
  if (!field->Events.empty()) {
    r = std::floor(release_time);
    if (!Is_Picture_Field(*field)) field->Events += Encode_Event(250, static_cast<std::int64_t>(r));
  }
  te.Last_Release_Time = r;
  if (te.Last_Area >= 1 && te.Last_Area <= te.Area_Count)
    te.Areas[static_cast<std::size_t>(te.Last_Area)].Ending_Time = r / Packs_Per_Second;
}

void Advance_Field(Timing_Editor& te, Song& song, bool clear) {
  Field_Rec* field = Field_Ptr(song, te.Current_Field);
  if (field && clear && !field->Events.empty() && !Is_Picture_Field(*field)) {
    field->Events.clear();
    // An untimed syllable is no longer replayed.
    Cut_Areas(te, song, field->First_Char, field->Last_Char);
  }
  te.Held_Field = te.Current_Field;
  if (field) {
    Mark_Field(te, song, te.Current_Field, song.Palette_RGB[0]);
    te.Last_Wiped_Char = field->Last_Char;
    te.Current_Field = Next_Field(song, te.Held_Field);
  } else {
    te.Current_Field = Next_Field(song, te.Held_Field);
    const Field_Rec* next = Field_Ptr(song, te.Current_Field);
    te.Last_Wiped_Char = next ? next->First_Char - 1 : 0;
  }
  Show_New_Current(te, song, clear);
}

void Jump_Line(Timing_Editor& te, Song& song, int step) {
  const Field_Rec* field = Field_Ptr(song, te.Current_Field);
  if (!field) return;
  int line = Line_Of_Char(song, field->First_Char);
  if (step < 0 && line > 1) --line;
  if (step > 0) ++line;
  Select_Field_At(te, song, Line_X(song, line), (line - te.VSc_Line_Value) * View_Row_Height);
}

}  // namespace lyricanvas
