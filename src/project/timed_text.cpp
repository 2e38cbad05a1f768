#include "project/timed_text.h"

#include "project/project_text.h"

#include <cmath>
#include <optional>
#include <vector>

namespace lyricanvas {

namespace {

struct Parsed_Field {
  int first = 0;  ///< 1-based positions in the whole text
  int last = 0;
  std::string events;
};

struct Parsed_Line {
  int offset = 0;  ///< of the line's first character in the whole text
  int length = 0;
  int singer = 1;
};

struct Parsed_Song {
  QString text;
  std::vector<Parsed_Line> lines;
  std::vector<Parsed_Field> fields;
};

/// A problem of the input; the parser adds the line number.
struct Bad_Input {
  std::string what;
};

bool Is_Blank(QChar c) { return c == u' ' || c == u'\t'; }
bool Is_Digit(QChar c) { return c >= u'0' && c <= u'9'; }

/// Reads one line of timed text, appending its lyrics to song.text.
class Line_Parser {
 public:
  Line_Parser(Parsed_Song& song, const QString& line) : song_(song), line_(line) {}

  void Parse() {
    Parsed_Line result{static_cast<int>(song_.text.size()), 0, Read_Singer()};
    while (at_ < line_.size()) Read_Char();
    Flush_Plain();
    result.length = static_cast<int>(song_.text.size()) - result.offset;
    song_.lines.push_back(result);
  }

 private:
  int Read_Singer() {
    if (!line_.startsWith(u'[')) return 1;
    qsizetype close = line_.indexOf(u']');
    bool ok = false;
    int singer = close < 0 ? -1 : line_.mid(1, close - 1).toInt(&ok);
    if (!ok || singer < 0 || singer >= Singer_Count)
      throw Bad_Input{"a singer is written [0] to [7]"};
    at_ = close + 1;
    while (at_ < line_.size() && Is_Blank(line_[at_])) ++at_;
    return singer;
  }

  void Read_Char() {
    QChar c = line_[at_++];
    if (c == u'\\') {
      if (at_ >= line_.size()) throw Bad_Input{"the line ends with a lone backslash"};
      syllable_ += line_[at_++];
    } else if (c == u'@') {
      Read_Timed_Syllable();
    } else if (c == u'|') {
      Flush_Plain();
    } else if (Is_Blank(c)) {
      Flush_Plain();
      song_.text += c;
    } else {
      syllable_ += c;
    }
  }

  void Read_Timed_Syllable() {
    if (syllable_.isEmpty()) throw Bad_Input{"a time \"@\" follows no syllable text"};
    double start = Read_Time();
    std::optional<double> end;
    if (at_ < line_.size() && line_[at_] == u'-') {
      ++at_;
      end = Read_Time();
      if (*end < start) throw Bad_Input{"a syllable ends before it starts"};
    }
    if (at_ < line_.size() && (Is_Digit(line_[at_]) || line_[at_] == u'.' ||
                               line_[at_] == u':' || line_[at_] == u'-'))
      throw Bad_Input{"a time is malformed"};
    int first = static_cast<int>(song_.text.size()) + 1;
    song_.text += syllable_;
    std::string events = Encode_Event(1, To_Packs(start));
    if (end) events += Encode_Event(250, To_Packs(*end));
    song_.fields.push_back({first, static_cast<int>(song_.text.size()), events});
    syllable_.clear();
  }

  /// Seconds written "SS", "SS.FF", "M:SS" or "M:SS.FF".
  double Read_Time() {
    double minutes = 0, seconds = Read_Number();
    if (at_ < line_.size() && line_[at_] == u':') {
      ++at_;
      minutes = seconds;
      seconds = Read_Number();
    }
    if (at_ < line_.size() && line_[at_] == u'.') {
      ++at_;
      QString fraction = QStringLiteral("0.") + Digits();
      if (fraction.size() == 2) throw Bad_Input{"a time is malformed"};
      seconds += fraction.toDouble();
    }
    double value = minutes * 60 + seconds;
    if (value > static_cast<double>(Max_Event_Time) / 300)
      throw Bad_Input{"a time is later than the latest time an event can hold"};
    return value;
  }

  double Read_Number() {
    QString digits = Digits();
    if (digits.isEmpty()) throw Bad_Input{"a time is malformed"};
    return digits.toDouble();
  }

  QString Digits() {
    qsizetype from = at_;
    while (at_ < line_.size() && Is_Digit(line_[at_])) ++at_;
    return line_.mid(from, at_ - from);
  }

  static std::int64_t To_Packs(double seconds) {
    return static_cast<std::int64_t>(std::nearbyint(seconds * 300));
  }

  /// Text of a syllable that got no time is lyrics without a field.
  void Flush_Plain() {
    song_.text += syllable_;
    syllable_.clear();
  }

  Parsed_Song& song_;
  const QString& line_;
  qsizetype at_ = 0;
  QString syllable_;
};

bool Is_Comment(std::string_view line) {
  std::size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == '#';
}

/// The lines of the input without line ends; a final line end starts no further line.
std::vector<std::string_view> Split_Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

void Check_Capacities(const Parsed_Song& song) {
  if (song.lines.size() > static_cast<std::size_t>(Max_Lines))
    throw Bad_Input{"more than " + std::to_string(Max_Lines) + " lyrics lines"};
  if (song.text.size() > Max_Char_X)
    throw Bad_Input{"the lyrics are longer than " + std::to_string(Max_Char_X) + " characters"};
  if (song.fields.size() > static_cast<std::size_t>(Max_Fields))
    throw Bad_Input{"more than " + std::to_string(Max_Fields) + " syllables"};
}

Parsed_Song Parse(std::string_view text, std::string& error) {
  Parsed_Song song;
  int number = 0;
  // Files saved by older editors are Latin-1 or Windows-1252; the whole file decides.
  const bool utf8 = Is_Valid_Utf8(text);
  try {
    for (std::string_view line : Split_Lines(text)) {
      ++number;
      if (Is_Comment(line)) continue;
      if (!song.lines.empty()) song.text += QStringLiteral("\r\n");
      QString decoded = utf8 ? QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))
                             : Decode_Windows_1252(line);
      Line_Parser(song, decoded).Parse();
      Check_Capacities(song);
    }
  } catch (const Bad_Input& bad) {
    error = "line " + std::to_string(number) + ": " + bad.what;
  }
  return song;
}

void Apply(Song& song, const Parsed_Song& parsed) {
  song.Suppress_Text_Events = true;
  song.RTB_Raw.Set_Text(parsed.text);
  for (const Parsed_Line& line : parsed.lines)
    if (line.length > 0)
      song.RTB_Raw.Set_Color(line.offset, line.length, song.Singers[line.singer].Text_Color);
  song.Fields.fill(Field_Rec{});
  song.Field_Count = static_cast<int>(parsed.fields.size());
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Parsed_Field& field = parsed.fields[static_cast<std::size_t>(f - 1)];
    song.Fields[f] = Field_Rec{static_cast<std::int16_t>(field.first),
                               static_cast<std::int16_t>(field.last), field.events};
  }
  song.Text_Length = song.RTB_Raw.Length();
  song.Picture_Count = 0;
  song.Current_Field = 0;
  song.Suppress_Text_Events = false;
}

}  // namespace

bool Load_Timed_Text(Song& song, std::string_view text, std::string& error) {
  std::string problem;
  Parsed_Song parsed = Parse(text, problem);
  if (!problem.empty()) {
    error = problem;
    return false;
  }
  Apply(song, parsed);
  return true;
}

}  // namespace lyricanvas
