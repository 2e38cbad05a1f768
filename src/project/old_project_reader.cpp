// The older binary project layout (first byte 132). Positions in the comments are 1-based byte
// positions of the file; all numbers are little-endian.
#include <QString>
#include <algorithm>
#include <filesystem>

#include "model/file_io.h"
#include "project/project_file.h"
#include "project/project_text.h"

namespace lyricanvas {

namespace {

constexpr std::size_t Max_Stored_Text = 10000 - 1;  // the offset table has 10 000 entries
constexpr int Max_Old_Pictures = 20;
constexpr int Max_Old_Fonts = 20;

struct Damaged {
  std::string reason;
};

/// Bounds-checked little-endian reads at 1-based positions.
struct Old_Bytes {
  std::string_view data;

  std::size_t Byte(std::size_t position) const {
    if (position < 1 || position > data.size()) throw Damaged{"the file ends early"};
    return static_cast<unsigned char>(data[position - 1]);
  }
  std::size_t U16(std::size_t position) const { return Byte(position) + 256 * Byte(position + 1); }
  std::size_t U32(std::size_t position) const {
    return U16(position) + 65536 * U16(position + 2);
  }
  std::string_view Text(std::size_t position, std::size_t length) const {
    if (position < 1 || length > data.size() || position - 1 > data.size() - length)
      throw Damaged{"the file ends early"};
    return data.substr(position - 1, length);
  }
  /// Position of the next byte 0 at or after position.
  std::size_t Next_Zero(std::size_t position) const {
    std::size_t at = position >= 1 ? data.find('\0', position - 1) : std::string_view::npos;
    if (at == std::string_view::npos) throw Damaged{"the file ends early"};
    return at + 1;
  }
};

struct Old_Font {
  QString Name;
  double Size = 0;
  bool Bold = false;
};

struct Old_Text {
  std::vector<int> Offset;  ///< [i] = converted offset of stored character i (1 .. A + 1)
  std::vector<int> Picture_Places;
};

/// Converts the stored text (LF breaks, byte 1 for pictures) into the lyrics.
Old_Text Convert_Text(Song& song, std::string_view stored) {
  Old_Text result;
  result.Offset.assign(stored.size() + 2, 0);
  std::string converted;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    result.Offset[i + 1] = static_cast<int>(converted.size());
    char c = stored[i];
    if (c == '\n') converted += "\r\n";
    else if (c == '\r') converted += (i + 1 < stored.size() && stored[i + 1] == '\n') ? "" : "\r\n";
    else if (c == '\x01') {
      if (static_cast<int>(result.Picture_Places.size()) < Max_Old_Pictures)
        result.Picture_Places.push_back(static_cast<int>(converted.size()));
      converted += ' ';
    } else converted += c;
  }
  result.Offset[stored.size() + 1] = static_cast<int>(converted.size());
  song.RTB_Raw.Set_Text(Decode_Windows_1252(converted));
  return result;
}

std::vector<Old_Font> Read_Fonts(const Old_Bytes& in, std::size_t b, std::size_t count) {
  std::vector<Old_Font> fonts;
  for (std::size_t k = 1; k <= std::min<std::size_t>(count, Max_Old_Fonts); ++k) {
    std::size_t start = b + 50 * (k - 1);
    Old_Font font;
    font.Size = (65536.0 - static_cast<double>(in.U16(start + 2))) / 20.0;
    font.Bold = in.Byte(start + 10) != 144;
    std::size_t end = in.Next_Zero(start + 20);
    font.Name = Decode_Windows_1252(in.Text(start + 20, end - (start + 20)));
    fonts.push_back(font);
  }
  return fonts;
}

int Stored_Offset(const Old_Text& text, std::size_t character) {
  std::size_t last = text.Offset.size() - 1;
  return text.Offset[std::clamp<std::size_t>(character, 1, last)];
}

void Apply_Run(Song& song, const Old_Bytes& in, std::size_t start, const Old_Text& text,
               const std::vector<Old_Font>& fonts) {
  std::size_t font_number = in.U16(start + 2);
  std::size_t s = std::clamp<std::size_t>(in.U16(start + 4), 1, text.Offset.size() - 1);
  std::size_t m = in.U16(start + 6);
  int from = Stored_Offset(text, s), to = Stored_Offset(text, s + m);
  int length = std::max(0, to - from);
  if (font_number >= 1 && font_number <= fonts.size()) {
    const Old_Font& font = fonts[font_number - 1];
    song.RTB_Raw.Set_Font_Name(from, length, font.Name);
    if (font.Size > 0 && font.Size <= 400) song.RTB_Raw.Set_Font_Size(from, length, font.Size);
    song.RTB_Raw.Set_Bold(from, length, font.Bold);
  }
  song.RTB_Raw.Set_Color(from, length,
                         qRgb(static_cast<int>(in.Byte(start + 10)),
                              static_cast<int>(in.Byte(start + 11)),
                              static_cast<int>(in.Byte(start + 12))));
  std::size_t f = in.U16(start + 14);
  if (f == 0 || f > Max_Fields) return;
  song.Field_Count = std::max(song.Field_Count, static_cast<int>(f));
  Field_Rec& field = song.Fields[f];
  if (field.First_Char == 0) field.First_Char = static_cast<std::int16_t>(from + 1);
  field.Last_Char = static_cast<std::int16_t>(Stored_Offset(text, s + m - 1) + 1);
  if (field.Last_Char < field.First_Char) field.First_Char = field.Last_Char;
}

void Apply_Paragraphs(Song& song, const Old_Bytes& in, std::size_t runs, std::size_t n3,
                      std::size_t n4, const Old_Text& text) {
  const std::size_t formats = runs + 6 * n3;
  for (std::size_t j = 1; j <= n3; ++j) {
    std::size_t start = runs + 6 * (j - 1);
    std::size_t format = in.U16(start);
    if (format < 1 || format > n4) continue;
    std::size_t code = in.Byte(formats + 62 * (format - 1) + 1);
    int alignment = code == 0 ? Align_Left : code == 64 ? Align_Right : code == 128 ? Align_Center : -1;
    if (alignment >= 0)
      song.RTB_Raw.Set_Alignment(Stored_Offset(text, in.U16(start + 2)), 0, alignment);
  }
}

/// Puts the pictures at their places; returns the position at which the event records start.
std::size_t Place_Pictures(Song& song, const Old_Bytes& in, std::size_t start, std::size_t n5,
                           const Old_Text& text, const Ui& ui) {
  std::vector<std::pair<int, Embedded_Picture>> found;
  for (std::size_t k = 1; k <= n5; ++k) {
    std::size_t end = in.Next_Zero(start + 44);
    std::string name = Decode_Windows_1252(in.Text(start + 44, end - (start + 44))).toStdString();
    start = end;
    if (k > text.Picture_Places.size()) continue;
    std::optional<std::string> bytes = Read_Whole_File(name);
    if (!bytes) {
      Show_Message(ui, "Picture " + name + " could not be read!");
      continue;
    }
    found.emplace_back(text.Picture_Places[k - 1],
                       Embedded_Picture{std::move(*bytes), QString::fromStdString(name)});
  }
  for (const auto& [place, picture] : found) song.RTB_Raw.Insert_Picture(place, picture, true);
  return n5 > 0 ? start + 1 : start;
}

/// Separates a properties section that an event string carries after its events.
void Split_Properties(Song& song, std::string& events) {
  std::size_t at = events.find("\xFE<");
  std::string properties;
  if (at != std::string::npos && at > 0) {
    properties = events.substr(at);
  } else if ((at = events.find("<\xFE")) != std::string::npos && at > 0) {
    properties = "\xFE<" + events.substr(at + 2);
  } else {
    return;
  }
  events.resize(at);
  song.Project_Properties = properties;
}

void Read_Event_Records(Song& song, const Old_Bytes& in, std::size_t start, const Old_Text& text) {
  for (;;) {
    std::size_t f = in.U16(start);
    if (f == 0) return;
    std::size_t length = in.U16(start + 10);
    std::string events(in.Text(start + 14, length));
    start += 14 + length;
    if (f > Max_Fields) continue;
    Field_Rec& field = song.Fields[f];
    auto picture_place = [&] {
      return std::find(text.Picture_Places.begin(), text.Picture_Places.end(),
                       field.First_Char - 1) != text.Picture_Places.end();
    };
    if (events.size() >= 2 && events[0] == Picture_Record_Mark && events[1] != '<')
      events[0] = static_cast<char>(251);
    if (events.starts_with("\xFE<")) {
      song.Project_Properties = events;
      events.clear();
    } else if (events.starts_with("<") && picture_place()) {
      events.insert(events.begin(), Picture_Record_Mark);
    } else if (events.starts_with("\xFB<")) {
      events[0] = Picture_Record_Mark;
    } else {
      Split_Properties(song, events);
    }
    field.Events = std::move(events);
  }
}

void Read_Old(Song& song, const Old_Bytes& in, const Ui& ui) {
  const std::size_t a = in.U32(15);
  if (a > Max_Stored_Text) throw Damaged{"its text is longer than the older layout allows"};
  Old_Text text = Convert_Text(song, in.Text(19, a));
  const std::size_t n1 = in.U16(a + 24), n2 = in.U16(a + 26), n3 = in.U16(a + 28),
                    n4 = in.U16(a + 30), n5 = in.U16(a + 32);
  const std::size_t b = a + 40 + 20 * n1;
  std::vector<Old_Font> fonts = Read_Fonts(in, b, n2);
  song.Field_Count = 0;
  for (std::size_t i = 1; i <= n1; ++i) {
    Apply_Run(song, in, a + 20 + 20 * i, text, fonts);
    Process_Events(ui);
  }
  const std::size_t runs = b + 50 * n2 + 2;
  Apply_Paragraphs(song, in, runs, n3, n4, text);
  const std::size_t events = Place_Pictures(song, in, runs + 6 * n3 + 62 * n4, n5, text, ui);
  Read_Event_Records(song, in, events, text);
}

}  // namespace

bool Read_Old_Project(Song& song, std::string_view bytes, std::string& error, const Ui& ui) {
  try {
    song.Project_Properties.clear();
    Read_Old(song, Old_Bytes{bytes}, ui);
  } catch (const Damaged& damaged) {
    error = damaged.reason;
    return false;
  }
  song.Project_Properties = Decode_Properties(song.Project_Properties);
  song.Text_Length = song.RTB_Raw.Length();
  song.RTB_Raw.Select(0, 0);
  return true;
}

}  // namespace lyricanvas
