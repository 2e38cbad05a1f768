#include "cdg/coloring.h"

#include <algorithm>
#include <cmath>

#include "cdg/line_drawing.h"
#include "model/layout.h"

namespace lyricanvas {

namespace {

constexpr double No_Pair = -999;
constexpr double Segment_Pause = 30;     ///< seconds on one column that start a new segment
constexpr double Untimed_Beyond = 3600;  ///< a first point this late (s) is not placed

void Report_Error(const Ui& ui, const std::string& text) {
  Show_Message(ui, text + "\r" + Error_Report_Request());
}

void Report_Fetched_Below_Zero(const Ui& ui, int number) {
  Report_Error(ui, "Error #" + std::to_string(number) + ": fetched color time is smaller than 0.");
}

int Round_Even(double v) { return static_cast<int>(std::nearbyint(v)); }
int Truncated(double v) { return static_cast<int>(std::floor(v)); }

/// Appends points 1 .. count of a line and stops at its capacity.
struct Point_Writer {
  coloring_line& line;
  bool overflowed = false;

  void Add(int x, double time, int jump, bool on_time = false) {
    if (line.count >= Max_Coloring_Points) {
      overflowed = true;
      return;
    }
    line.points[static_cast<std::size_t>(++line.count)] = coloring_point{x, time, jump, on_time};
  }
  const coloring_point& Last() const { return line.points[static_cast<std::size_t>(line.count)]; }
};

// --- fetching -----------------------------------------------------------------------------------

class Line_Fetcher {
 public:
  Line_Fetcher(const Creation_Run& run, const Song& song, int line, coloring_line& out,
               const Ink_Columns* ink)
      : run_(run), song_(song), line_(line), text_(song.RTB_Raw.Text()), ink_(ink), out_{out} {}

  bool Overflowed() const { return out_.overflowed; }

  void Fetch() {
    const auto [p0, pe] = Span();
    const auto [first, at] = First_Field(p0, pe);
    if (first == 0) return;
    const Field_Rec& field = song_.Fields[static_cast<std::size_t>(first)];
    if (Is_Picture_Field(field)) {
      // Decided by the picture field alone, wherever it stands in the line.
      out_.line.picture = field.Events.substr(1);
      out_.line.picture_field = first;
      return;
    }
    if (at <= pe) Points_From(first, p0, pe);
    Cut_After_Rightmost();
  }

 private:
  QChar At(int position) const {
    return position >= 1 && position <= text_.size() ? text_[position - 1] : QChar();
  }

  int X_At(int offset) const {
    return offset >= 0 && offset <= Max_Char_X ? song_.Char_X[static_cast<std::size_t>(offset)] : 0;
  }
  int Left_Edge(const Field_Rec& f) const {
    return X_At(f.First_Char - 1) + Edge_Offset(text_, song_.Wipe_Margin, f.First_Char - 1);
  }
  int Right_Edge(const Field_Rec& f) const {
    return X_At(f.Last_Char) + Edge_Offset(text_, song_.Wipe_Margin, f.Last_Char);
  }
  int Line_End() const { return song_.Line_End_X[static_cast<std::size_t>(line_)]; }

  bool Timed(int f) const {
    return f >= 1 && f <= song_.Field_Count &&
           !song_.Fields[static_cast<std::size_t>(f)].Events.empty();
  }

  // First and last character position of the line, leading blanks skipped.
  std::pair<int, int> Span() const {
    int p0 = song_.Line_Start[static_cast<std::size_t>(line_ - 1)] + 1;
    int pe = song_.Line_Start[static_cast<std::size_t>(line_)] - 1;
    if (pe < 0) pe = static_cast<int>(text_.size());
    pe = std::max(pe, p0);
    auto blank = [](QChar c) { return c == QChar(' ') || c == QChar('\r') || c == QChar('\n'); };
    while (blank(At(p0)) && p0 < pe) ++p0;
    return {p0, pe};
  }

  // The first field with events from p0 on, and where it was met.
  std::pair<int, int> First_Field(int p0, int pe) const {
    for (int p = p0; p <= pe + 1; ++p) {
      const int f = Field_At_Char(song_, p);
      if (Timed(f)) return {f, p};
    }
    return {0, 0};
  }

  void Add(int x, double time, int jump, int error_number, bool on_time = false) {
    out_.Add(x, time, jump, on_time);
    if (time < 0) Report_Fetched_Below_Zero(run_.ui, error_number);
  }

  /// Where a field's wipe interpolation starts when it would start at x and end at xe: one past
  /// the first inked column, so that this column changes colour at the field's first event and
  /// the blank before it jumps; x itself when the line's ink is not known or the field has none.
  int Ink_Start(int x, int xe) const {
    if (!ink_) return x;
    for (int c = std::max(x, 0); c + 1 < xe && c <= Inner_Width; ++c)
      if ((*ink_)[static_cast<std::size_t>(c)]) return c + 1;
    return x;
  }

  void Swiping_Points(int f, int x, int width, bool on_time) {
    if (x >= Line_End() - song_.Wipe_Margin) return;
    const int events = Event_Count(song_.Fields[static_cast<std::size_t>(f)].Events);
    for (int k = 1; k <= events; ++k)
      Add(Round_Even(Event_Position(song_, f, k) * width + x), Field_Time(song_, f, k), 0, 16,
          on_time && k == 1);
  }

  int First_X(const Field_Rec& field, int p0) const {
    if (field.First_Char > p0) return Left_Edge(field);
    const std::string& style = run_.Settings.Wiping_Style;
    const bool body_only =
        style == "Swipe text body only" || style == "Draw no outline" || style.empty();
    // Otherwise the outline of the first letter is wiped too.
    return Line_X(song_, line_) - (body_only ? 0 : 2);
  }

  void Points_From(int first, int p0, int pe) {
    const Field_Rec& field = song_.Fields[static_cast<std::size_t>(first)];
    int x = First_X(field, p0);
    Add(x, Field_Time(song_, first, 1), -1, 12);
    int xe = Right_Edge(field) - 1;
    const int start = Ink_Start(x, xe);
    const bool moved = start != x;
    x = start;
    int width = xe - x;
    Swiping_Points(first, x, width, moved);
    int previous = first, cursor = first;
    bool beyond = false;
    // The guard bounds the walk should the field table be inconsistent.
    for (int guard = 0;
         guard < song_.Field_Count && song_.Fields[static_cast<std::size_t>(cursor)].Last_Char < pe;
         ++guard) {
      const int g = Next_Field(song_, cursor);
      if (g == 0) break;
      cursor = g;
      const Field_Rec& next = song_.Fields[static_cast<std::size_t>(g)];
      if (!Timed(g) || Is_Picture_Field(next)) continue;
      if (next.First_Char > pe) {
        beyond = true;
        break;
      }
      const bool gap =
          next.First_Char > song_.Fields[static_cast<std::size_t>(previous)].Last_Char + 1;
      if (gap) {
        Add(x + width, out_.Last().color_time, 0, 13);
        x = Left_Edge(next);
      } else {
        x = xe;
      }
      xe = next.Last_Char + 1 > pe ? Line_End() + song_.Wipe_Margin : Right_Edge(next);
      if (gap) Add(x, Field_Time(song_, g, 1), -1, 14);
      const int start = Ink_Start(x, xe);
      const bool moved = start != x;
      x = start;
      width = xe - x;
      Swiping_Points(g, x, width, moved);
      previous = g;
    }
    int finish = xe;
    if (width <= 0)
      finish = Line_End() + song_.Wipe_Margin;
    else if (beyond)
      finish = xe + Edge_Offset(text_, song_.Wipe_Margin,
                                song_.Fields[static_cast<std::size_t>(previous)].Last_Char);
    Add(finish, out_.Last().color_time, 0, 18);
  }

  // Nothing follows the rightmost point (the first of equals).
  void Cut_After_Rightmost() {
    coloring_line& line = out_.line;
    int j = 0;
    for (int i = 1; i <= line.count; ++i)
      if (j == 0 ||
          line.points[static_cast<std::size_t>(i)].x > line.points[static_cast<std::size_t>(j)].x)
        j = i;
    if (j > 0 && j < line.count) {
      line.count = j;
      line.points[static_cast<std::size_t>(j)].jump = 0;
    }
  }

  const Creation_Run& run_;
  const Song& song_;
  const int line_;
  const QString text_;
  const Ink_Columns* ink_;
  Point_Writer out_;
};

// --- the coloring pass ------------------------------------------------------------------------

struct Temp_Point {
  int x = 0;
  double time = 0;  ///< seconds
  int jump = 0;
};

class Coloring_Pass {
 public:
  explicit Coloring_Pass(Creation_Run& run)
      : run_(run), reduce_(run.Settings.Reduce_Framerate), frame_(reduce_ ? 1.0 / 30 : 1.0 / 60) {}

  // Turns the fetched points (seconds) into the wipe's points (packs) in `line`.
  bool Correct(coloring_line& line) {
    std::vector<Temp_Point> temp = Clean_Up(line);
    coloring_line corrected;
    Point_Writer out{corrected};
    Build_Corrected(temp, out);
    line.count = corrected.count;
    std::copy_n(corrected.points.begin(), corrected.count + 1, line.points.begin());
    return out.overflowed;
  }

 private:
  // Monotonic times, long pauses as new segments, points inside one frame and tile merged.
  std::vector<Temp_Point> Clean_Up(coloring_line& line) {
    auto P = [&](int j) -> coloring_point& { return line.points[static_cast<std::size_t>(j)]; };
    const int count = line.count;
    std::vector<Temp_Point> temp{{P(1).x, P(1).color_time, 0}};
    if (P(1).color_time < 0)
      Report_Error(run_.ui,
                   "Error #6: color_time which is to be timebase corrected is smaller than 0.");
    double lasttime = P(1).color_time - 0.02;
    int lastx = P(1).x - 10;
    for (int j = 1; j <= count; ++j) {
      coloring_point& p = P(j);
      if (j > 2 && p.x == P(j - 1).x && p.color_time - P(j - 1).color_time > Segment_Pause)
        p.jump = -1;
      if (p.color_time < lasttime && p.jump == -1) {
        p.x = std::max(p.x, lastx);
      } else if (!p.on_time && p.color_time - lasttime < frame_ &&
                 p.x < Truncated(lastx / 6.0) * 6 + 5 && j < count && P(j + 1).jump == 0 &&
                 p.jump == 0) {
        if (lasttime > 20000) Report_Error(run_.ui, "Error #7: lasttime is greater than 20000.");
        if (lasttime < 0) Report_Error(run_.ui, "Error #8: lasttime is smaller than 0.");
        p.color_time = lasttime;
        p.x = lastx;
      }
      if (p.color_time == lasttime && p.x == lastx) continue;
      temp.push_back({p.x, p.color_time, p.jump});
      lasttime = p.color_time;
      lastx = p.x;
    }
    if (P(count).x != lastx) temp.push_back({P(count).x, P(count).color_time, 0});
    return temp;
  }

  double Corrected(double seconds) {
    double packs = correct_timebase(run_.Settings, seconds);
    if (packs < 0) {
      Report_Error(run_.ui, "Error #10: corrected time is smaller than 0.");
      packs = 0;
    }
    return packs;
  }

  void Add(Point_Writer& out, int x, double packs, int jump) {
    out.Add(x, packs, jump);
    run_.last_color_pack = std::max<std::int64_t>(run_.last_color_pack, std::llrint(packs));
  }

  static int Tile_End(int x) { return Truncated((x + 2) / 6.0) * 6 - 1; }

  void Build_Corrected(std::vector<Temp_Point>& temp, Point_Writer& out) {
    const std::size_t n = temp.size();
    int lastx = temp[0].x - 1;
    double lasttime = temp[0].time;
    for (std::size_t j = 0; j < n; ++j) {
      Temp_Point& t = temp[j];
      const Temp_Point* next = j + 1 < n ? &temp[j + 1] : nullptr;
      if (t.time < lasttime && t.jump == 0) t.time = lasttime;
      t.x = std::max(t.x, lastx);
      if (t.x - lastx == 1 || t.time - lasttime < 0.034 || t.jump == -1)
        Direct_Point(t, next, out);
      else
        Steps(t, next, lastx, lasttime, out);
      lastx = t.x;
      lasttime = t.time;
    }
    if (out.line.count == 0 || out.Last().x < lastx)
      Add(out, lastx, std::floor(Corrected(temp.back().time)), 0);
  }

  void Direct_Point(const Temp_Point& t, const Temp_Point* next, Point_Writer& out) {
    const double packs = Corrected(t.time);
    int x = t.x;
    // With the reduced rate a wipe moves by whole tile columns.
    if (reduce_ && t.jump == 0 && out.line.count > 0 && next) x = Tile_End(x);
    Add(out, x, packs, t.jump);
  }

  // Intermediate points every 5 packs (10 with the reduced rate), never more than pixels.
  void Steps(const Temp_Point& t, const Temp_Point* next, int lastx, double lasttime,
             Point_Writer& out) {
    const double base = Corrected(lasttime);
    const double span = Corrected(t.time) - base;
    const int xend = t.x;
    const int steps = std::min(Truncated(span / (reduce_ ? 10 : 5)), xend - lastx);
    if (steps <= 0) return;
    // The end column is left to the next point unless a pause or a new segment follows.
    const bool pause_follows = next && (next->jump == -1 || next->time - t.time > 0.1);
    const int last_k = pause_follows ? steps : steps - 1;
    const bool may_snap = reduce_ && t.jump == 0 && next && next->jump == 0;
    double reference = 0;
    for (int k = 0; k <= last_k; ++k) {
      const double packs = std::floor(base + k * span / steps);
      int x = Truncated(lastx + static_cast<double>(k) * (xend - lastx) / steps);
      // The first point of a run stays where it is; those shortly after it snap to tiles.
      if (k > 0 && may_snap && out.line.count > 1 && packs - reference < 30)
        x = Tile_End(x);
      else
        reference = packs;
      Add(out, x, packs, k == 0 ? t.jump : 0);
    }
  }

  Creation_Run& run_;
  const bool reduce_;
  const double frame_;
};

std::string Join_Numbers(const std::vector<int>& numbers) {
  std::string text;
  for (std::size_t i = 0; i < numbers.size(); ++i)
    text += (i ? ", " : "") + std::to_string(numbers[i]);
  return text;
}

void Tell_Limits(const Creation_Run& run, int line_count, const std::vector<int>& crowded_lines) {
  if (line_count > Max_Lines)
    Show_Message(run.ui, "The lyrics have " + std::to_string(line_count) + " lines, but only " +
                             std::to_string(Max_Lines) +
                             " can be placed; the lines after line 500 are left out.");
  if (!crowded_lines.empty())
    Show_Message(run.ui, "Line(s) " + Join_Numbers(crowded_lines) + " hold more than " +
                             std::to_string(Max_Coloring_Points) +
                             " wipe points; their wipes stop early. Split these lines or time "
                             "fewer points on them.");
}

}  // namespace

std::string Error_Report_Request() {
  return "Please save your project and send an error report to support@lyricanvas.org.";
}

coloring_line fetch_line(const Creation_Run& run, const Song& song, int line, bool* overflowed,
                         const Ink_Columns* ink) {
  coloring_line rec;
  rec.text = Line_Text(song, line);
  if (overflowed) *overflowed = false;
  if (line < 1 || line > Max_Lines || song.Line_Start[static_cast<std::size_t>(line - 1)] < 0)
    return rec;
  Line_Fetcher fetcher(run, song, line, rec, ink);
  fetcher.Fetch();
  if (overflowed) *overflowed = fetcher.Overflowed();
  return rec;
}

double correct_timebase(const Creation_Settings& settings, double t) {
  const auto& S = settings.timebase_source;
  const auto& D = settings.timebase_dest;
  if (S[1] == No_Pair) return static_cast<double>(settings.intro_silence_packs) + 300 * t;
  if (S[2] == No_Pair || S[2] == S[1]) return D[1] + 300 * (t - S[1]);
  if (t < S[2] || S[3] == No_Pair || S[3] == S[2])
    return D[1] + (t - S[1]) * (D[2] - D[1]) / (S[2] - S[1]);
  return D[2] + (t - S[2]) * (D[3] - D[2]) / (S[3] - S[2]);
}

void Normalise_Timebase(Creation_Settings& settings) {
  auto& S = settings.timebase_source;
  auto& D = settings.timebase_dest;
  for (int i = 2; i <= 3; ++i) {
    const bool same_source = S[i - 1] == S[i] && S[i] > No_Pair;
    const bool same_dest = D[i - 1] == D[i] && D[i] > No_Pair;
    if (same_source || same_dest) S[i] = D[i] = No_Pair;
  }
}

bool Correct_Coloring_Line(Creation_Run& run, coloring_line& line) {
  if (line.count <= 0) return false;
  return Coloring_Pass(run).Correct(line);
}

Ink_Columns Wiped_Ink_Columns(Creation_Run& run, const Song& song, Surface& work, int line) {
  Ink_Columns ink{};
  const Wiped_Parts parts = Wiped_Parts_Of(run.Settings.Wiping_Style);
  for (const Line_Pixel& pixel : Picture_Of(run, song, work, line))
    if (Is_Wiped_Part(pixel, parts))
      ink[static_cast<std::size_t>(pixel.x)] = true;
  return ink;
}

void build_coloring_table(Creation_Run& run, const Song& song) {
  run.last_color_pack = 0;
  Surface work = Make_Work_Picture();
  std::fill(run.coloring_table.begin(), run.coloring_table.end(), coloring_line{});
  const int line_count = Line_Count(song);
  const int lines = std::min(line_count, Max_Lines);
  std::vector<int> crowded;
  for (int L = 1; L <= lines; ++L) {
    bool overflowed = false;
    const Ink_Columns ink = Wiped_Ink_Columns(run, song, work, L);
    coloring_line rec = fetch_line(run, song, L, &overflowed, &ink);
    if (rec.picture.empty() && rec.count > 0) {
      if (rec.points[1].color_time >= Untimed_Beyond) {
        // Seconds must never pass for pack numbers: such a line gets no wipe.
        Debug_Log(run.ui, "Line " + std::to_string(L) + " starts after an hour; not wiped.");
        rec.count = 0;
      } else {
        overflowed = Correct_Coloring_Line(run, rec) || overflowed;
      }
    }
    if (overflowed) crowded.push_back(L);
    Process_Events(run.ui);
    run.coloring_table[static_cast<std::size_t>(L)] = std::move(rec);
  }
  Tell_Limits(run, line_count, crowded);
}

void sort_fields(Song& song, const Ui& ui) {
  const int length = song.RTB_Raw.Length();
  std::vector<int> slot(static_cast<std::size_t>(length) + 2, 0);
  bool warned = false;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
    if (field.First_Char < 0 || field.First_Char > length + 1) continue;  // outside the text
    int& taken = slot[static_cast<std::size_t>(field.First_Char)];
    if (taken != 0 && !warned) {
      Show_Message(ui, "Warning! Overlapping fields!");
      warned = true;
    }
    if (!Is_Empty(field)) taken = f;
  }
  int n = 0;
  for (int p = 1; p <= length; ++p)
    if (slot[static_cast<std::size_t>(p)] != 0)
      song.Fields_Backup[static_cast<std::size_t>(++n)] =
          song.Fields[static_cast<std::size_t>(slot[static_cast<std::size_t>(p)])];
  for (int f = 1; f <= std::max(n, song.Field_Count); ++f)
    song.Fields[static_cast<std::size_t>(f)] =
        f <= n ? song.Fields_Backup[static_cast<std::size_t>(f)] : Field_Rec{};
  song.Field_Count = n;
}

}  // namespace lyricanvas
