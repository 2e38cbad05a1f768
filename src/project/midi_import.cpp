#include "project/midi_import.h"

#include "project/project_text.h"
#include "project/rtf.h"

#include <QStringDecoder>
#include <algorithm>
#include <cmath>

namespace lyricanvas {
namespace {

constexpr std::uint8_t Meta_Status = 0xFF;
constexpr std::uint8_t Sysex_Status = 0xF0;
constexpr std::uint8_t Escape_Status = 0xF7;

constexpr int Meta_Text = 1;
constexpr int Meta_Copyright = 2;
constexpr int Meta_Lyric = 5;
constexpr int Meta_End_Of_Track = 0x2F;
constexpr int Meta_Tempo = 0x51;

constexpr int Max_Field_Position = 32767;  // First_Char and Last_Char are 16-bit

std::uint32_t Read_Big_Endian(std::span<const std::uint8_t> data, std::size_t pos, int bytes) {
  std::uint32_t value = 0;
  for (int k = 0; k < bytes; ++k) value = value << 8 | data[pos + static_cast<std::size_t>(k)];
  return value;
}

bool Has_Id(std::span<const std::uint8_t> bytes, std::size_t pos, std::string_view id) {
  return std::equal(id.begin(), id.end(), bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

/// The Standard MIDI file inside a RIFF MIDI file (a "data" chunk of an "RMID" form); other
/// bytes are returned as they are.
std::span<const std::uint8_t> Unwrap_Riff(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 12 || !Has_Id(bytes, 0, "RIFF") || !Has_Id(bytes, 8, "RMID")) return bytes;
  std::size_t p = 12;
  while (p + 8 <= bytes.size()) {
    std::uint32_t length = bytes[p + 4] | bytes[p + 5] << 8 | bytes[p + 6] << 16 |
                           std::uint32_t{bytes[p + 7]} << 24;  // RIFF numbers are little-endian
    std::size_t available = std::min<std::size_t>(length, bytes.size() - p - 8);
    if (Has_Id(bytes, p, "data")) return bytes.subspan(p + 8, available);
    p += 8 + available + (available & 1);  // chunks are padded to an even length
  }
  return bytes;
}

bool Fail(Midi_Import& import, std::string reason) {
  if (import.Error.empty()) import.Error = std::move(reason);
  return false;
}

// Track events -------------------------------------------------------------------------------

enum class Step { Next, End_Of_Track, Damaged };

Step Skip(std::span<const std::uint8_t> chunk, std::size_t& pos, std::size_t count) {
  if (count > chunk.size() - pos) return Step::Damaged;
  pos += count;
  return Step::Next;
}

Step Skip_Counted(std::span<const std::uint8_t> chunk, std::size_t& pos) {
  std::optional<std::uint32_t> length = Read_Var_Length(chunk, pos);
  return length ? Skip(chunk, pos, *length) : Step::Damaged;
}

/// An F7 event: a system message without data is escaped as that single byte, anything else
/// has a length.
Step Skip_Escape(std::span<const std::uint8_t> chunk, std::size_t& pos) {
  if (pos >= chunk.size()) return Step::Damaged;
  switch (chunk[pos]) {
    case 241:
    case 242:
    case 243:
    case 246:
    case 248:
    case 250:
    case 251:
    case 252:
    case 254:
      ++pos;
      return Step::Next;
    default:
      return Skip_Counted(chunk, pos);
  }
}

Step Read_Meta(Midi_Import& import, std::span<const std::uint8_t> chunk, std::size_t& pos) {
  if (pos >= chunk.size()) return Step::Damaged;
  int type = chunk[pos++];
  std::optional<std::uint32_t> length = Read_Var_Length(chunk, pos);
  if (!length || *length > chunk.size() - pos) return Step::Damaged;
  Handle_Meta_Event(import, type, chunk.subspan(pos, *length));
  pos += *length;
  return type == Meta_End_Of_Track ? Step::End_Of_Track : Step::Next;
}

Step Read_Event(Midi_Import& import, std::span<const std::uint8_t> chunk, std::size_t& pos,
                std::uint8_t status) {
  if (status == Meta_Status) return Read_Meta(import, chunk, pos);
  if (status == Sysex_Status) return Skip_Counted(chunk, pos);
  if (status == Escape_Status) return Skip_Escape(chunk, pos);
  if (status < 0xC0 || (status >= 0xE0 && status < 0xF0)) return Skip(chunk, pos, 2);
  if (status < 0xE0) return Skip(chunk, pos, 1);  // program change, channel pressure
  // Other system messages carry no data.
  return Step::Next;
}

// Syllables ----------------------------------------------------------------------------------

/// Event text with every line end turned into LF: CR, NUL, vertical tab and form feed, and the
/// UTF-8 next-line, line and paragraph separators, which text boxes also break lines at.
std::string Line_Text(std::span<const std::uint8_t> data) {
  std::string text;
  text.reserve(data.size());
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::uint8_t b = data[i];
    if (b == '\r' || b == 0 || b == 0x0B || b == 0x0C) {
      text += '\n';
    } else if (b == 0xC2 && i + 1 < data.size() && data[i + 1] == 0x85) {
      text += '\n';
      i += 1;
    } else if (b == 0xE2 && i + 2 < data.size() && data[i + 1] == 0x80 &&
               (data[i + 2] == 0xA8 || data[i + 2] == 0xA9)) {
      text += '\n';
      i += 2;
    } else {
      text += static_cast<char>(b);
    }
  }
  return text;
}

std::string Trim_Spaces(const std::string& text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

/// "@T" lines are titles at the top of the lyrics, "@I" lines information after them; other
/// "@" lines are karaoke headers without text.
void Take_At_Line(Midi_Import& import, const std::string& line) {
  if (line.rfind("@T", 0) == 0)
    import.Midi_Lyrics += line.substr(2) + "\n";
  else if (line.rfind("@I", 0) == 0)
    import.Midi_Info += "\n" + Trim_Spaces(line.substr(2));
}

/// Appends a syllable to the lyrics with the line breaks its mark asks for ("/" new line, "\"
/// new paragraph, LF line break) and returns its text without the mark.
std::string Append_Syllable(std::string& lyrics, const std::string& data) {
  if (data.empty()) return data;
  bool at_line_start = !lyrics.empty() && lyrics.back() == '\n';
  std::string text = data.substr(1);
  switch (data[0]) {
    case '\n':
      lyrics += "\r\n";
      break;
    case '/':
      if (!at_line_start) lyrics += "\r\n";
      break;
    case '\\':
      lyrics += at_line_start ? "\r\n" : "\r\n\r\n";
      break;
    default:
      text = data;
  }
  lyrics += text;
  return text;
}

/// Two syllables at the same tick are sung as one, unless joining them would run a field over
/// a line break (that pair is spread in time instead).
bool Joins_Previous(const std::vector<Midi_Syllable>& table, const Midi_Syllable& s) {
  if (table.empty()) return false;
  const Midi_Syllable& previous = table.back();
  return previous.Ticks == s.Ticks && s.Text_Pos == previous.End_Pos && !previous.Breaks_Line;
}

/// A syllable holding words separated by a space becomes two syllables at the same time. The
/// search starts at from, as text searched before holds no inner space (a thousand syllables
/// joined at one tick are searched once, not a thousand times).
void Split_At_Inner_Space(Midi_Import& import, std::size_t from) {
  std::vector<Midi_Syllable>& table = import.Midi_Syllables;
  Midi_Syllable& first = table.back();
  std::size_t space = first.Text.find(' ', std::max<std::size_t>(from, 1));
  if (space == std::string::npos || space + 1 >= first.Text.size()) return;
  if (table.size() >= static_cast<std::size_t>(Max_Midi_Syllables)) {
    import.Syllables_Dropped = true;
    return;
  }
  Midi_Syllable second = first;
  second.Start_Pos = second.Text_Pos = first.Text_Pos + space + 1;
  second.Text = first.Text.substr(space + 1);
  first.End_Pos = second.Start_Pos;
  first.Text.resize(space);
  second.Breaks_Line = first.Breaks_Line && second.Text.find('\n') != std::string::npos;
  first.Breaks_Line = first.Breaks_Line && first.Text.find('\n') != std::string::npos;
  table.push_back(std::move(second));
}

void Add_Syllable(Midi_Import& import, Midi_Syllable s) {
  std::vector<Midi_Syllable>& table = import.Midi_Syllables;
  std::size_t from = 0;
  if (Joins_Previous(table, s)) {
    Midi_Syllable& previous = table.back();
    from = previous.Text.empty() ? 0 : previous.Text.size() - 1;
    previous.End_Pos = s.End_Pos;
    previous.Text += s.Text;
    previous.Breaks_Line = s.Breaks_Line;
  } else if (table.size() >= static_cast<std::size_t>(Max_Midi_Syllables)) {
    import.Syllables_Dropped = true;  // the text stays in the lyrics, untimed
    return;
  } else {
    table.push_back(std::move(s));
  }
  Split_At_Inner_Space(import, from);
}

/// A file may carry its lyrics twice, as text and as lyric events: the first kind met after
/// the start of the song is kept and the other dropped.
void Take_Text_Event(Midi_Import& import, bool lyric, const std::string& data) {
  bool& own_open = lyric ? import.Lyric_Events_Open : import.Text_Events_Open;
  bool& other_open = lyric ? import.Text_Events_Open : import.Lyric_Events_Open;
  if (!own_open) return;
  if (import.Track_Ticks > 0) other_open = false;
  if (!data.empty() && data[0] == '@') {
    Take_At_Line(import, data);
    return;
  }
  Midi_Syllable s;
  s.Ticks = import.Track_Ticks;
  s.Start_Pos = import.Midi_Lyrics.size();
  s.Text = Append_Syllable(import.Midi_Lyrics, data);
  s.End_Pos = import.Midi_Lyrics.size();
  s.Text_Pos = s.End_Pos - s.Text.size();
  s.Breaks_Line = s.Text.find('\n') != std::string::npos;
  Add_Syllable(import, std::move(s));
}

// Timing -------------------------------------------------------------------------------------

/// The tempo before the first tempo event: the default half second per quarter, except that a
/// single tempo event holds from tick 0 (files with one tempo mean it for the whole song).
double Lead_Tempo(const Midi_Import& import) {
  const std::vector<Midi_Tempo>& map = import.Midi_Tempos;
  return map.size() == 1 ? map[0].Seconds_Per_Quarter : import.Seconds_Per_Quarter;
}

/// Sorts the tempo changes of all tracks and gives each its time.
void Build_Tempo_Map(Midi_Import& import) {
  std::vector<Midi_Tempo>& map = import.Midi_Tempos;
  std::stable_sort(map.begin(), map.end(),
                   [](const Midi_Tempo& a, const Midi_Tempo& b) { return a.Ticks < b.Ticks; });
  double seconds_per_quarter = Lead_Tempo(import);
  std::int64_t ticks = 0;
  double time = 0;
  for (Midi_Tempo& entry : map) {
    entry.Time = time + static_cast<double>(entry.Ticks - ticks) * seconds_per_quarter /
                            import.Ticks_Per_Quarter;
    ticks = entry.Ticks;
    time = entry.Time;
    seconds_per_quarter = entry.Seconds_Per_Quarter;
  }
}

double Time_At(const Midi_Import& import, std::int64_t ticks) {
  const std::vector<Midi_Tempo>& map = import.Midi_Tempos;
  auto after = std::upper_bound(map.begin(), map.end(), ticks,
                                [](std::int64_t t, const Midi_Tempo& e) { return t < e.Ticks; });
  if (after == map.begin()) {
    return static_cast<double>(ticks) * Lead_Tempo(import) / import.Ticks_Per_Quarter;
  }
  const Midi_Tempo& entry = *(after - 1);
  return entry.Time + static_cast<double>(ticks - entry.Ticks) * entry.Seconds_Per_Quarter /
                          import.Ticks_Per_Quarter;
}

/// Syllables that share one time follow each other at a quarter second per character, or,
/// when that would reach the next timed syllable and that one is not the last, fill the time up
/// to it by their lengths. Before the last syllable a run keeps its quarter seconds, and the
/// last syllable moves after the run rather than before it (where it would lose its field).
void Spread_Shared_Times(std::vector<Midi_Syllable>& s) {
  std::size_t i = 0;
  while (i + 1 < s.size()) {
    std::size_t j = i + 1;
    while (j < s.size() && s[j].Time == s[i].Time) ++j;
    const bool before_last = j + 1 == s.size();
    double gap = j < s.size() ? s[j].Time - s[i].Time : 0;
    double chars = j < s.size() ? static_cast<double>(s[j].Start_Pos - s[i].Start_Pos) : 0;
    bool fill = gap > 0 && chars / 4 >= gap && !before_last;
    for (std::size_t k = i + 1; k < j; ++k) {
      double step = static_cast<double>(s[k].Start_Pos - s[k - 1].Start_Pos);
      s[k].Time = s[k - 1].Time + (fill ? step * gap / chars : step / 4);
    }
    if (before_last && j > i + 1) {
      double step = static_cast<double>(s[j].Start_Pos - s[j - 1].Start_Pos);
      s[j].Time = std::max(s[j].Time, s[j - 1].Time + step / 4);
    }
    i = j;
  }
}

// Fields -------------------------------------------------------------------------------------

/// Seconds as packs of 1/300 s, within what an event can store.
std::int64_t To_Packs(double packs) {
  if (!(packs > 0)) return 0;
  return static_cast<std::int64_t>(std::min(packs, static_cast<double>(Max_Event_Time)));
}
std::int64_t Rounded_Packs(double seconds) { return To_Packs(std::nearbyint(seconds * 300)); }
std::int64_t Floor_Packs(double seconds) { return To_Packs(std::floor(seconds * 300)); }

/// Wiped from the start of the syllable to the next one; at most a second when the singer
/// pauses, and half the way to the next syllable at the end of a line.
std::string Field_Events(double time, double next, bool line_end) {
  std::int64_t start = Rounded_Packs(time);
  std::int64_t end = Rounded_Packs(next);
  if (next - time > 1) end = Rounded_Packs(time + 1);
  if (line_end) end = std::min(Floor_Packs((time + next) / 2), Rounded_Packs(time + 1));
  return Encode_Event(1, start) + Encode_Event(251, std::max(end, start));
}

struct Char_Range {
  qsizetype Start = 0;  ///< offset of the first character
  qsizetype End = 0;    ///< offset after the last character
};

/// Where the syllable stands in the text box, at or after offset from. Normally exactly where
/// it was put; should the text box have changed the text, the syllable is searched for.
std::optional<Char_Range> Locate(const QString& text, const Lyrics_Text& lyrics,
                                 const Midi_Syllable& s, qsizetype from) {
  std::size_t last = s.Text.find_last_not_of('\n');
  if (last == std::string::npos) return std::nullopt;
  qsizetype start = lyrics.Offset_Of_Byte[s.Text_Pos];
  qsizetype end = lyrics.Offset_Of_Byte[s.Text_Pos + last + 1];
  QStringView wanted = QStringView(lyrics.Text).mid(start, end - start);
  if (wanted.isEmpty()) return std::nullopt;
  if (start >= from && QStringView(text).mid(start, end - start) == wanted) {
    return Char_Range{start, end};
  }
  qsizetype found = text.indexOf(wanted, from);
  if (found < 0) return std::nullopt;
  return Char_Range{found, found + wanted.size()};
}

bool Add_Field(Song& song, Char_Range range, std::string events, const Ui& ui) {
  std::string reason;
  if (song.Field_Count >= Max_Fields)
    reason = "the lyrics hold more than 5000 syllables";
  else if (range.End > Max_Field_Position)
    reason = "the lyrics are longer than 32767 characters";
  if (!reason.empty()) {
    Show_Message(ui, "Only the first " + std::to_string(song.Field_Count) +
                         " syllables have been timed: " + reason + ".");
    return false;
  }
  Field_Rec& f = song.Fields[static_cast<std::size_t>(++song.Field_Count)];
  f.First_Char = static_cast<std::int16_t>(range.Start + 1);
  f.Last_Char = static_cast<std::int16_t>(range.End);
  f.Events = std::move(events);
  return true;
}

// Text decoding ------------------------------------------------------------------------------

/// Length and code point of the UTF-8 sequence at i (already known to be valid).
std::size_t Utf8_Char(const std::string& bytes, std::size_t i, char32_t& code) {
  auto lead = static_cast<std::uint8_t>(bytes[i]);
  std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  static constexpr std::uint8_t lead_bits[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  code = lead & lead_bits[length];
  for (std::size_t k = 1; k < length; ++k) {
    code = code << 6 | (static_cast<std::uint8_t>(bytes[i + k]) & 0x3F);
  }
  return length;
}

}  // namespace

// Reading the file ---------------------------------------------------------------------------

std::optional<std::uint32_t> Read_Var_Length(std::span<const std::uint8_t> data, std::size_t& pos) {
  std::uint32_t value = 0;
  for (int k = 0; k < 4 && pos < data.size(); ++k) {
    std::uint8_t byte = data[pos++];
    value = value << 7 | (byte & 0x7F);
    if ((byte & 0x80) == 0) return value;
  }
  return std::nullopt;
}

bool Parse_Chunks(Midi_Import& import, std::span<const std::uint8_t> bytes) {
  bytes = Unwrap_Riff(bytes);
  if (bytes.size() < 8 || !Has_Id(bytes, 0, "MThd")) {
    return Fail(import, "it is not a Standard MIDI file");
  }
  std::size_t p = 0;
  while (p + 8 <= bytes.size()) {  // a few bytes after the last chunk are padding
    // A chunk longer than the rest of the file holds what is left: a last chunk with a wrong
    // length is often complete, and a cut one still holds the syllables before the cut.
    std::size_t length =
        std::min<std::size_t>(Read_Big_Endian(bytes, p + 4, 4), bytes.size() - p - 8);
    std::span<const std::uint8_t> data = bytes.subspan(p + 8, length);
    if (Has_Id(bytes, p, "MThd") && !import.Has_Header) {
      if (!Read_Header(import, data)) return false;
    } else if (Has_Id(bytes, p, "MTrk")) {
      Read_Track(import, data);
    }
    p += 8 + length;
  }
  return true;
}

bool Read_Header(Midi_Import& import, std::span<const std::uint8_t> chunk) {
  if (chunk.size() < 6) return Fail(import, "its header is too short");
  auto division = static_cast<std::int16_t>(Read_Big_Endian(chunk, 4, 2));
  if (division == 0) return Fail(import, "its time division is 0");
  if (division > 0) {
    import.Ticks_Per_Quarter = division;
  } else {
    // SMPTE: the high byte is minus the frames per second (-29 for 29.97 drop frame), the low
    // byte the ticks per frame. Time is absolute, so tempo events do not apply.
    int frames = -(division >> 8);
    int ticks_per_frame = division & 0xFF;
    if (ticks_per_frame == 0) return Fail(import, "its time division has 0 ticks per frame");
    double rate = frames == 29 ? 30000.0 / 1001.0 : frames;
    import.Smpte = true;
    import.Ticks_Per_Quarter = rate * ticks_per_frame;
    import.Seconds_Per_Quarter = 1;
  }
  import.Has_Header = true;
  return true;
}

bool Read_Track(Midi_Import& import, std::span<const std::uint8_t> chunk) {
  ++import.Tracks_Read;
  import.Track_Ticks = 0;
  std::size_t pos = 0;
  // Running status: the last channel status. Meta and system-exclusive events between do not
  // cancel it (files that rely on that exist, though the standard says otherwise).
  std::uint8_t running = 0;
  auto damaged = [&](const std::string& what) {
    if (import.Damage.empty()) {
      import.Damage = "track " + std::to_string(import.Tracks_Read) + " " + what + " at byte " +
                      std::to_string(pos);
    }
    return false;
  };
  while (pos < chunk.size()) {
    std::optional<std::uint32_t> delta = Read_Var_Length(chunk, pos);
    if (!delta || pos >= chunk.size()) return damaged("is cut off");
    import.Track_Ticks += *delta;
    std::uint8_t status = chunk[pos];
    if (status >= 0x80)
      ++pos;
    else if (running != 0)
      status = running;
    else
      return damaged("has data without a status byte");
    if (status < 0xF0) running = status;
    Step step = Read_Event(import, chunk, pos, status);
    if (step == Step::Damaged) return damaged("is cut off");
    if (step == Step::End_Of_Track) return true;
  }
  return true;
}

void Handle_Meta_Event(Midi_Import& import, int type, std::span<const std::uint8_t> data) {
  switch (type) {
    case Meta_Text:
    case Meta_Lyric:
      Take_Text_Event(import, type == Meta_Lyric, Line_Text(data));
      break;
    case Meta_Copyright:
      import.Midi_Info = Line_Text(data);
      break;
    case Meta_Tempo:
      if (import.Smpte || data.size() < 3) break;
      import.Midi_Tempos.push_back(
          {import.Track_Ticks, 0, Read_Big_Endian(data, 0, 3) / 1'000'000.0});
      break;
    default:
      break;  // sequence number, names, markers, end of track ...
  }
}

void Retime_Syllables(Midi_Import& import) {
  Build_Tempo_Map(import);
  for (Midi_Syllable& s : import.Midi_Syllables) s.Time = Time_At(import, s.Ticks);
  Spread_Shared_Times(import.Midi_Syllables);
}

// Into the song ------------------------------------------------------------------------------

Lyrics_Text Midi_Lyrics_Text(const std::string& lyrics) {
  Lyrics_Text out;
  out.Offset_Of_Byte.assign(lyrics.size() + 1, 0);
  out.Text.reserve(static_cast<qsizetype>(lyrics.size() + lyrics.size() / 8));
  bool utf8 = Is_Valid_Utf8(lyrics);
  std::size_t i = 0;
  while (i < lyrics.size()) {
    out.Offset_Of_Byte[i] = out.Text.size();
    if (lyrics[i] == '\r' || lyrics[i] == '\n') {
      if (lyrics[i] == '\r' && i + 1 < lyrics.size() && lyrics[i + 1] == '\n') {
        out.Offset_Of_Byte[++i] = out.Text.size() + 1;
      }
      out.Text += QStringLiteral("\r\n");
      ++i;
      continue;
    }
    char32_t code = Windows_1252_To_Unicode(static_cast<std::uint8_t>(lyrics[i]));
    std::size_t length = utf8 ? Utf8_Char(lyrics, i, code) : 1;
    for (std::size_t k = 1; k < length; ++k) out.Offset_Of_Byte[i + k] = out.Text.size();
    if (QChar::requiresSurrogates(code)) {
      out.Text += QChar(QChar::highSurrogate(code));
      out.Text += QChar(QChar::lowSurrogate(code));
    } else {
      out.Text += QChar(static_cast<char16_t>(code));
    }
    i += length;
  }
  out.Offset_Of_Byte[lyrics.size()] = out.Text.size();
  return out;
}

void Make_Fields(Song& song, const Midi_Import& import, const Lyrics_Text& lyrics, const Ui& ui) {
  const QString text = song.RTB_Raw.Text();
  const std::vector<Midi_Syllable>& s = import.Midi_Syllables;
  qsizetype from = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::optional<Char_Range> range = Locate(text, lyrics, s[i], from);
    if (!range) continue;
    from = range->End;
    // A word's leading blank is carried in its syllable: the wipe starts at the first letter.
    while (range->Start < range->End && text[range->Start].isSpace()) ++range->Start;
    while (range->End > range->Start && (text[range->End - 1] == QChar('\n') ||
                                          text[range->End - 1] == QChar('\r')))
      --range->End;
    if (range->Start == range->End) continue;
    double next = i + 1 < s.size() ? s[i + 1].Time : s[i].Time + 1;
    if (!(next > 0) || (i > 0 && s[i].Time < s[i - 1].Time)) continue;
    bool line_end = range->End < text.size() &&
                    (text[range->End] == QChar('\r') || text[range->End] == QChar('\n'));
    if (!Add_Field(song, *range, Field_Events(s[i].Time, next, line_end), ui)) return;
  }
}

Read_Status Import_Midi(Song& song, std::span<const std::uint8_t> bytes, const std::string& path,
                        const Ui& ui) {
  Midi_Import import;
  if (!Parse_Chunks(import, bytes)) {
    Show_Message(ui, "The file '" + path + "' could not be imported: " + import.Error + ".");
    return Read_Status::Failed;
  }
  if (!import.Damage.empty()) {
    Show_Message(ui, "The file '" + path + "' is incomplete: " + import.Damage + ". The " +
                         std::to_string(import.Midi_Syllables.size()) +
                         " syllables before that point have been imported.");
  }
  Retime_Syllables(import);
  if (import.Smpte) Debug_Log(ui, "MIDI import: SMPTE time division, tempo events ignored");

  bool suppressed = song.Suppress_Text_Events;
  song.Suppress_Text_Events = true;
  song.Window_Controls.Set_Text("txt_Filename", 0, path);
  import.Midi_Lyrics += "\r\n" + import.Midi_Info;
  Lyrics_Text lyrics = Midi_Lyrics_Text(import.Midi_Lyrics);
  Font_Rec font;
  font.Font_Name = QStringLiteral("Times New Roman");
  font.Font_Size = 20;
  song.RTB_Raw.Set_Default_Font(font);
  song.RTB_Raw.Set_Text(lyrics.Text);
  song.Text_Length = song.RTB_Raw.Length();
  song.Picture_Count = 0;
  std::fill(song.Fields.begin(), song.Fields.end(), Field_Rec{});
  song.Field_Count = 0;
  if (import.Syllables_Dropped) {
    Show_Message(ui, "The file holds more than " + std::to_string(Max_Midi_Syllables) +
                         " syllables; the lyrics after them have not been timed.");
  }
  Make_Fields(song, import, lyrics, ui);
  song.RTB_Raw.Select(0, 0);
  song.Suppress_Text_Events = suppressed;
  return import.Damage.empty() ? Read_Status::Complete : Read_Status::Incomplete;
}

}  // namespace lyricanvas
