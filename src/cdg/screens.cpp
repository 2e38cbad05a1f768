#include "cdg/screens.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "cdg/fades.h"
#include "cdg/interpreter.h"
#include "cdg/line_drawing.h"
#include "cdg/packs.h"
#include "cdg/picture_screens.h"
#include "cdg/tile_updater.h"

namespace lyricanvas {

namespace {

/// Lines a screen can hold (positions of Screen_Lines).
constexpr int Max_Screen_Positions = 100;
/// The last screen that may hold lyrics; the one after it is the closing screen.
constexpr int Last_Lyrics_Screen = Max_Screens - 1;
/// A new line must stand on the screen at least this long before its wipe begins.
constexpr std::int64_t Write_Margin = 30;

std::int64_t CLng(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

/// A slot number as the trace shows it: seconds with up to 15 significant digits.
std::string Seconds_Text(std::int64_t slot) {
  return QString::number(static_cast<double>(slot) / Packs_Per_Second, 'g', 15).toStdString();
}

coloring_line& Line_Record(Creation_Run& run, int line) {
  return run.coloring_table[static_cast<std::size_t>(line)];
}

/// The lyrics line at position p (1-based, top first) of screen s.
int Screen_Line(const Creation_Run& run, int s, int p) {
  return run.Screen_Lines[static_cast<std::size_t>(s)][static_cast<std::size_t>(p)];
}

int Line_Count_Of(const Creation_Run& run, int s) {
  return run.Screen_Line_Count[static_cast<std::size_t>(s)];
}

/// The first wipe of screen s, or `none` when its lines have none.
std::int64_t First_Wipe_Of(Creation_Run& run, int s, std::int64_t none) {
  std::int64_t first = none;
  for (int p = 1; p <= Line_Count_Of(run, s); ++p) {
    const int line = Screen_Line(run, s, p);
    if (line >= 1 && Line_Record(run, line).count > 0)
      first = std::min(first, Line_Record(run, line).First_Wipe_Pack);
  }
  return first;
}

/// When one screen of the stream begins and the previous one ends, in pack slots.
struct Screen_Plan {
  int s = 0;
  std::int64_t prev_end = 0;   ///< the previous screen's last wipe or change
  std::int64_t start = 0;      ///< the first wipe of this screen
  bool picture_shown = false;  ///< a picture screen is shown; only the picture steps set it
};

double Shown_Packs(const Creation_Run& run) {
  return run.Settings.Minimum_Shown * Packs_Per_Second;
}

/// End of screen s - 1: its last wipe or the last screen change, whichever is later.
std::int64_t Previous_Screen_End(Creation_Run& run, int s) {
  std::int64_t end = std::max<std::int64_t>(Packs_Per_Second, run.Screen_End_Mark);
  for (int p = 1; p <= Line_Count_Of(run, s - 1); ++p) {
    const int line = Screen_Line(run, s - 1, p);
    if (line < 1) continue;
    coloring_line& rec = Line_Record(run, line);
    if (rec.count > 0) end = std::max(end, rec.Last_Wipe_Pack);
    rec.Last_Wipe_Pack = std::max(rec.Last_Wipe_Pack, run.Screen_End_Mark);
  }
  return end;
}

/// First wipe of screen s; screens without wipes get a start derived from the previous end.
std::int64_t Screen_Start(Creation_Run& run, int s, std::int64_t prev_end) {
  const std::int64_t start = First_Wipe_Of(run, s, run.last_color_pack);
  if (start != run.last_color_pack) return start;
  if (s == run.Screen_Count + 1)
    return CLng(std::floor(run.Total_Time * Packs_Per_Second) + Shown_Packs(run) - 50);
  return CLng(Shown_Packs(run) + static_cast<double>(prev_end) + run.Fade_Packs + 50);
}

Screen_Plan Plan_Screen(Creation_Run& run, int s) {
  Screen_Plan plan;
  plan.s = s;
  if (s == 1) {
    run.Screen_End_Mark = 0;
    plan.prev_end = Packs_Per_Second;
    plan.start = CLng(Shown_Packs(run) + run.Fade_Packs);
  } else {
    plan.prev_end = Previous_Screen_End(run, s);
    plan.start = Screen_Start(run, s, plan.prev_end);
  }
  if (plan.prev_end <= Packs_Per_Second && s == 2) {
    // The first screen had no wipe: let it end well before the second one is drawn.
    plan.prev_end = CLng(Shown_Packs(run) + run.Fade_Packs + 50);
    plan.prev_end = std::min(plan.prev_end, CLng(static_cast<double>(plan.start) -
                                                 Shown_Packs(run) - run.Fade_Packs - 1));
    plan.prev_end = std::max<std::int64_t>(plan.prev_end, 1);
  }
  return plan;
}

/// Where the redraw of a cleared screen begins, after the previous screen has ended.
void Place_Draw_Point(Creation_Run& run, const Screen_Plan& plan) {
  if (plan.s == 1) {
    // One second into the stream, or earlier when the first wipe comes sooner, so that the
    // first syllables are on screen when they are sung.
    const std::int64_t first_wipe = First_Wipe_Of(run, 1, 2 * Packs_Per_Second);
    run.Pack_Pointer = std::clamp<std::int64_t>(first_wipe - Packs_Per_Second, 0, Packs_Per_Second);
    return;
  }
  const std::int64_t draw =
      CLng(static_cast<double>(plan.start) - Shown_Packs(run) - run.Fade_Packs);
  run.Pack_Pointer = draw > run.Pack_Pointer ? draw : std::max(draw, plan.prev_end + 1);
}

/// Fades the shown palette out and clears the screen, when there is time for it.
void Fade_Out(Creation_Run& run, const Song& song, const Screen_Plan& plan) {
  run.Pack_Pointer = std::max(run.Pack_Pointer, plan.prev_end + 1);
  if (run.Pack_Pointer >= plan.start - run.Fade_Packs) return;
  const Palette_Table shown = run.Work_Palette;
  Fade(run, shown, song.Palette, 0, run.Settings.Fading_Style);
  run.Work_Palette = song.Palette;
  run.Pack_Pointer =
      std::max(run.Pack_Pointer, CLng(static_cast<double>(plan.start) - Shown_Packs(run)));
  Write_Memory_Preset(run, 0, run.Pack_Pointer);
  run.Pack_Pointer = std::max(run.Pack_Pointer + 15, plan.prev_end + 1);
}

/// Writes the lines of screen s into their slots, top first.
void Write_Screen_Lines(Creation_Run& run, const Song& song, Surface& work, int s,
                        bool update_now) {
  const int count = Line_Count_Of(run, s);
  const int first_slot = run.Lines_Per_Screen - count + 1;
  for (int k = first_slot; k <= run.Lines_Per_Screen; ++k) {
    const int line = Screen_Line(run, s, k - first_slot + 1);
    if (line >= 1) Write_Line(run, song, work, line, k, update_now);
  }
}

/// Fades the last screen out and clears to colour 0 in the song's palette.
void Clear_To_Background(Creation_Run& run, const Song& song, const Screen_Plan& plan) {
  if (plan.s > 1) Fade_Out(run, song, plan);
  Debug_Log(run.ui, "Hard screen change performed at " + Seconds_Text(run.Pack_Pointer));
  // Each pack goes into the next free slot: wipe packs already placed stay where they are.
  Skip_Occupied(run);
  if (!plan.picture_shown) run.Work_Palette = song.Palette;
  Write_Border_Preset(run, 0);
  Write_Transparency(run, run.Pack_Pointer);
  Write_Memory_Preset(run, 0, run.Pack_Pointer);
  const std::int64_t cleared = run.Pack_Pointer;
  Write_Color_Tables(run, run.Work_Palette, run.Pack_Pointer);
  run.Target_Screen.Fill(0);
  run.Shown_Screen.Fill(0);
  run.Background_Screen.Fill(0);
  // The presets cleared whatever the stream showed before them; wipe packs met among the colour
  // tables act on the cleared screen.
  Skip_Interpretation_To(run, cleared - 1);
  Interpret_Packs_Up_To(run, run.Pack_Pointer);
}

/// The hard change: fade, clear (or show the screen's picture) and redraw the whole screen.
void Clear_Screen(Creation_Run& run, const Song& song, Surface& work, const Screen_Plan& plan) {
  Place_Draw_Point(run, plan);
  const Picture_Step picture = Show_Picture(run, song, plan.s, plan.prev_end);
  if (!picture.shown) Clear_To_Background(run, song, plan);
  Write_Screen_Lines(run, song, work, plan.s, picture.update_now);
  Finish_Picture(run, picture);
  run.Screen_End_Mark = run.Pack_Pointer;
}

// The soft change ------------------------------------------------------------------------------

/// One slot during a line-by-line change.
struct Slot_State {
  int old_line = 0;     ///< line of the previous screen in this slot, 0 = none
  int new_line = 0;     ///< line of the new screen for this slot, 0 = none
  bool busy = false;    ///< the old line is still being wiped
  bool free = true;     ///< no old line, or it has been erased
  bool written = true;  ///< no new line, or it has been written
  bool erasable = false;
  bool writable = false;
};

struct Soft_Change {
  Creation_Run& run;
  const Song& song;
  Surface& work;
  const Screen_Plan& plan;
  std::vector<Slot_State> states;  ///< 1 .. Lines_Per_Screen; [0] stands for "above the top"
  int old_top = 0;                 ///< topmost slot of the previous screen
  int new_top = 0;                 ///< topmost slot of the new screen
  bool write_time_reached = false;

  Soft_Change(Creation_Run& r, const Song& sg, Surface& w, const Screen_Plan& p)
      : run(r), song(sg), work(w), plan(p) {
    const int lines = run.Lines_Per_Screen;
    states.resize(static_cast<std::size_t>(lines) + 1);
    old_top = lines + 1 - Line_Count_Of(run, plan.s - 1);
    new_top = lines + 1 - Line_Count_Of(run, plan.s);
    for (int k = 1; k <= lines; ++k) {
      Slot_State& slot = states[static_cast<std::size_t>(k)];
      if (k >= old_top) slot.old_line = Screen_Line(run, plan.s - 1, k - old_top + 1);
      if (k >= new_top) slot.new_line = Screen_Line(run, plan.s, k - new_top + 1);
      slot.free = slot.old_line == 0;
      slot.busy = !slot.free;
      slot.written = slot.new_line == 0;
    }
  }

  Slot_State& At(int k) { return states[static_cast<std::size_t>(k)]; }
  int Lines() const { return run.Lines_Per_Screen; }
  double Write_Time() const { return static_cast<double>(plan.start) - Shown_Packs(run); }

  bool All_Written() const {
    return std::all_of(states.begin(), states.end(), [](const Slot_State& s) { return s.written; });
  }

  void Update_Flags() {
    const std::int64_t now = run.Pack_Pointer;
    for (int k = 1; k <= Lines(); ++k) {
      Slot_State& slot = At(k);
      if (slot.busy && now > Line_Record(run, slot.old_line).Last_Wipe_Pack) slot.busy = false;
    }
    for (int k = 1; k <= Lines(); ++k) {
      Slot_State& slot = At(k);
      const bool above_free = k == old_top || At(k - 1).free;
      if (k < Lines())
        slot.erasable = !slot.free && !At(k + 1).busy && above_free;
      else
        slot.erasable = !slot.free && now > plan.prev_end &&
                        (At(k - 1).free || Line_Count_Of(run, plan.s - 1) == 1);
      slot.writable = slot.free && static_cast<double>(now) > Write_Time() &&
                      (k == new_top || At(k - 1).written);
    }
  }

  enum class Step { Done, Failed, Went_On };

  /// Writes the first writable slot; fails when the line would come too late.
  Step Write_Next(int k) {
    Slot_State& slot = At(k);
    const coloring_line& rec = Line_Record(run, slot.new_line);
    if (k == new_top && run.Pack_Pointer > plan.prev_end && !plan.picture_shown)
      return Step::Failed;
    if (rec.First_Wipe_Pack != 0 && run.Pack_Pointer > rec.First_Wipe_Pack - Write_Margin)
      return Step::Failed;
    Debug_Log(run.ui, "Writing of line " + std::to_string(slot.new_line) + " in screen " +
                          std::to_string(plan.s) + " starts at " + Seconds_Text(run.Pack_Pointer));
    Write_Line(run, song, work, slot.new_line, k, true);
    if (rec.Last_Wipe_Pack != 0 && run.Pack_Pointer > rec.Last_Wipe_Pack - Write_Margin)
      return Step::Failed;
    slot.written = true;
    return Step::Went_On;
  }

  void Erase(int k) {
    Slot_State& slot = At(k);
    Debug_Log(run.ui, "Erasing of line " + std::to_string(slot.old_line) + " for screen " +
                          std::to_string(plan.s) + " starts at " + Seconds_Text(run.Pack_Pointer));
    Erase_Line(run, song, work, slot.old_line, k);
    slot.free = true;
  }

  /// The next moment at which a flag can change; 0 when none will.
  std::int64_t Next_Moment() {
    const std::int64_t now = run.Pack_Pointer;
    for (int k = 1; k <= Lines(); ++k) {
      if (!At(k).busy) continue;
      const std::int64_t wipe_end = Line_Record(run, At(k).old_line).Last_Wipe_Pack;
      const std::int64_t write_time = CLng(Write_Time() + 1);
      if (!write_time_reached && write_time > now && write_time < wipe_end) {
        write_time_reached = true;
        return write_time;
      }
      return wipe_end + 1;
    }
    // Nothing is wiping any more: only the end of the previous screen and the writing time of
    // the new one are left to wait for.
    for (std::int64_t moment : {plan.prev_end + 1, CLng(std::floor(Write_Time())) + 1})
      if (moment > now) return moment;
    return 0;
  }

  Step Round() {
    if (All_Written()) return Step::Done;
    if (run.Pack_Pointer > run.Pack_Buffer.Last_Slot()) return Step::Failed;
    Update_Flags();
    for (int k = 1; k <= Lines(); ++k)
      if (At(k).writable && !At(k).written) return Write_Next(k);
    for (int k = 1; k <= Lines(); ++k) {
      if (At(k).erasable && !At(k).free) {
        Erase(k);
        return Step::Went_On;
      }
    }
    const std::int64_t moment = Next_Moment();
    if (moment <= run.Pack_Pointer) return Step::Failed;
    // Bring the screen model up to date with the wipes passed on the way.
    Interpret_Packs_Up_To(run, moment);
    return Step::Went_On;
  }

  bool Run() {
    for (;;) {
      const Step step = Round();
      if (step != Step::Went_On) return step == Step::Done;
    }
  }
};

/// Tries to change from screen s - 1 to s line by line; on failure every pack it placed is
/// taken back.
bool Try_Soft_Change(Creation_Run& run, const Song& song, Surface& work, const Screen_Plan& plan) {
  if (Line_Count_Of(run, plan.s - 1) < 2 || Line_Count_Of(run, plan.s) < 3) {
    run.Pack_Pointer = plan.prev_end + 1;
    run.Screen_End_Mark = run.Pack_Pointer;
    return false;
  }
  Debug_Log(run.ui, "Attempting screen redraw...");
  Soft_Change change(run, song, work, plan);
  const bool done = change.Run();
  if (done) {
    run.Screen_End_Mark = run.Pack_Pointer;
  } else {
    Take_Back_Packs(run);
    run.Pack_Pointer = plan.prev_end + 1;
  }
  Debug_Log(run.ui, "Screen redraw complete on " + Seconds_Text(run.Pack_Pointer));
  return done;
}

/// Tells the user once that lines found no screen.
void Report_Left_Out(const Creation_Run& run, int line) {
  Show_Message(run.ui, "The lyrics need more than " + std::to_string(Last_Lyrics_Screen) +
                           " screens. The lines from line " + std::to_string(line) +
                           " on were left out of the CD+G data!");
}

}  // namespace

void Assign_Lines_To_Screens(Creation_Run& run, const Song& song) {
  // Slots divide the screen height, and a screen has 100 positions.
  run.Lines_Per_Screen = std::clamp(run.Lines_Per_Screen, 1, Max_Screen_Positions);
  const int per_screen = run.Lines_Per_Screen;
  run.Screen_Line_Count.fill(0);
  for (auto& positions : run.Screen_Lines) positions.fill(0);
  const int lines = std::min(Line_Count(song), Max_Lines);
  int s = 1;
  bool full = false;  // the screen table has no room for another screen
  int first_left_out = 0;
  for (int line = 1; line <= lines; ++line) {
    coloring_line& rec = Line_Record(run, line);
    rec.Screen_Of_Line = rec.Slot_Of_Line = 0;
    const bool empty = Line_Text(song, line).isEmpty();
    if (!full && !rec.picture.empty()) {
      rec.Screen_Of_Line = s;  // a picture line belongs to the screen but takes no position
      continue;
    }
    if (!full && (empty || run.Screen_Line_Count[s] == per_screen)) {
      full = s == Last_Lyrics_Screen;
      if (!full) run.Screen_Line_Count[++s] = 0;
    }
    if (full) {
      if (!empty && first_left_out == 0) first_left_out = line;
      continue;
    }
    if (empty) continue;
    const int slot = ++run.Screen_Line_Count[s];
    rec.Screen_Of_Line = s;
    rec.Slot_Of_Line = slot;
    run.Screen_Lines[s][slot] = line;
  }
  if (first_left_out > 0) Report_Left_Out(run, first_left_out);
  run.Screen_Count = s;
  run.Screen_Line_Count[s + 1] = 0;
  // Screens that are not full keep their lines at the bottom.
  for (int line = 1; line <= lines; ++line) {
    coloring_line& rec = Line_Record(run, line);
    if (rec.Screen_Of_Line > 0 && rec.Slot_Of_Line > 0)
      rec.Slot_Of_Line += per_screen - run.Screen_Line_Count[rec.Screen_Of_Line];
  }
}

void Create_Screen(Creation_Run& run, const Song& song, Surface& work, int s) {
  if (s < 1 || s > run.Screen_Count + 1 || s > Max_Screens) return;
  Debug_Log(run.ui, "Starting to create screen # " + std::to_string(s));
  run.Pack_Log_Count = 0;
  const Screen_Plan plan = Plan_Screen(run, s);
  const double gap = static_cast<double>(plan.start - plan.prev_end);
  const bool clear = s == 1 || gap > run.Settings.Minimum_Gap * Packs_Per_Second ||
                     Picture_Line_Of_Screen(run, s) > 0 || !Try_Soft_Change(run, song, work, plan);
  if (clear) Clear_Screen(run, song, work, plan);
}

}  // namespace lyricanvas
