#include "model/song.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace lyricanvas {

namespace {

Singer_Rec Singer(std::string name, QRgb color, int body, int outline, int wiped_body,
                  int wiped_outline) {
  return Singer_Rec{std::move(name), color, body, outline, wiped_body, wiped_outline};
}

bool Valid_Field(const Song& song, int f) { return f >= 1 && f <= song.Field_Count; }

}  // namespace

Palette_Table Default_Palette() {
  static constexpr int rgb[16][3] = {{4, 4, 8},    {15, 11, 11}, {6, 0, 0},   {15, 0, 0},
                                     {0, 0, 0},    {15, 15, 15}, {0, 0, 0},   {0, 15, 0},
                                     {15, 15, 15}, {12, 15, 15}, {0, 3, 3},   {0, 13, 13},
                                     {15, 15, 15}, {15, 12, 15}, {3, 0, 3},   {15, 3, 15}};
  Palette_Table p{};
  for (int i = 0; i < 16; ++i)
    for (int j = 0; j < 3; ++j) p[i][j + 1] = rgb[i][j];
  return p;
}

void Restore_Default_Palette(Song& song) {
  Palette_Table defaults = Default_Palette();
  for (int i = 0; i < 16; ++i)
    if (i != 4) song.Palette[i] = defaults[i];
  Update_Palette_RGB(song);
}

void Update_Palette_RGB(Song& song) {
  for (int i = 0; i < 16; ++i)
    song.Palette_RGB[i] =
        qRgb(song.Palette[i][1] * 17, song.Palette[i][2] * 17, song.Palette[i][3] * 17);
}

Song::Song() {
  Singers[0] = Singer("0 - fixed", qRgb(128, 0, 0), 1, 2, 3, 0);
  Singers[1] = Singer("1 - solo / both", qRgb(0, 0, 0), 5, 6, 7, 4);
  Singers[2] = Singer("2 - male", qRgb(0, 128, 128), 9, 10, 11, 8);
  Singers[3] = Singer("3 - female", qRgb(128, 0, 128), 13, 14, 15, 12);
  Singers[4] = Singer("4 - Singer 4", qRgb(0, 0, 128), 14, 13, 12, 15);
  Singers[5] = Singer("5 - Singer 5", qRgb(128, 128, 0), 10, 9, 8, 11);
  Singers[6] = Singer("6 - Singer 6", qRgb(0, 128, 0), 6, 5, 4, 7);
  Singers[7] = Singer("7 - Singer 7", qRgb(128, 128, 128), 2, 1, 0, 3);
  Palette = Default_Palette();
  Update_Palette_RGB(*this);
  Line_Start.fill(-1);
  Line_Start[0] = 0;
  Text_Styles.resize(1);
  RTB_Raw.Set_Text(QStringLiteral("Welcome to Lyricanvas!"));
  Text_Length = RTB_Raw.Length();
}

std::string Encode_Event(int position_digit, std::int64_t time_packs) {
  time_packs = std::clamp<std::int64_t>(time_packs, 0, Max_Event_Time);
  std::string e(4, '\0');
  e[0] = static_cast<char>(position_digit);
  e[1] = static_cast<char>(time_packs % 250 + 1);
  e[2] = static_cast<char>((time_packs / 250) % 250 + 1);
  e[3] = static_cast<char>(time_packs / 62500 + 1);
  return e;
}

std::int64_t Decode_Time_Digits(const std::string& events, std::size_t i) {
  auto digit = [&](std::size_t k) {
    return static_cast<std::int64_t>(static_cast<unsigned char>(events[k])) - 1;
  };
  return digit(i) + 250 * digit(i + 1) + 62500 * digit(i + 2);
}

int Event_Count(const std::string& events) { return static_cast<int>(events.size() / 4); }

std::int64_t Event_Time_Packs(const std::string& events, int k) {
  int count = Event_Count(events);
  if (count == 0) return -1;
  if (k == -1) k = count;
  if (k == 0) k = 1;
  if (k < 1 || k > count) return -1;
  return Decode_Time_Digits(events, static_cast<std::size_t>(4 * k - 3));
}

double Field_Time(const Song& song, int f, int k) {
  if (f == 0 || k == 0 || !Valid_Field(song, f)) return -1;
  std::int64_t packs = Event_Time_Packs(song.Fields[f].Events, k);
  return packs < 0 ? -1 : static_cast<double>(packs) / 300.0;
}

double Event_Position(const Song& song, int f, int k) {
  if (!Valid_Field(song, f)) return 0;
  const std::string& events = song.Fields[f].Events;
  int count = Event_Count(events);
  if (count == 0) return 0;
  if (k == -1) k = count;
  if (k == 0) k = 1;
  if (k > count) return 0;
  int p = static_cast<unsigned char>(events[static_cast<std::size_t>(4 * k - 4)]);
  return (p - 1) / 250.0;
}

int Field_At_Char(const Song& song, int position) {
  if (position < 0 || position >= static_cast<int>(song.Char_Field.size())) return 0;
  return song.Char_Field[static_cast<std::size_t>(position)];
}

int Next_Field(const Song& song, int f) {
  if (!Valid_Field(song, f)) return 0;
  int length = song.RTB_Raw.Length();
  for (int p = song.Fields[f].Last_Char; p <= length; ++p) {
    int g = Field_At_Char(song, p);
    if (g != 0 && g != f) return g;
  }
  return 0;
}

int Field_Containing(const Song& song, int position) {
  for (int f = song.Field_Count; f >= 1; --f)
    if (song.Fields[f].First_Char <= position && position <= song.Fields[f].Last_Char) return f;
  return 0;
}

int Line_X(const Song& song, int n) {
  if (n < 1 || n > Max_Lines) return -1;
  int start = song.Line_Start[n - 1];
  if (start < 0 || start > Max_Char_X) return -1;
  return song.Char_X[start];
}

QString Line_Text(const Song& song, int n) {
  if (n < 1 || n > Max_Lines) return {};
  int start = song.Line_Start[n - 1];
  int end = n < Max_Lines + 1 ? song.Line_Start[n] : -1;
  QString text = song.RTB_Raw.Text();
  if (start < 0 || start > text.size()) return {};
  if (end < 0 || end > text.size()) end = text.size();
  QString line = text.mid(start, end - start);
  while (!line.isEmpty() && (line.back() == QChar('\r') || line.back() == QChar('\n')))
    line.chop(1);
  return line;
}

int Line_Count(const Song& song) { return song.RTB_Raw.Line_Count(); }

namespace {
std::pair<int, int> Line_Range(const Song& song, int n) {
  int start = song.Line_Start[n - 1];
  int end = n <= Max_Lines ? song.Line_Start[n] : -1;
  int length = song.RTB_Raw.Length();
  if (end < 0 || end > length) end = length;
  return {start, std::max(0, end - start)};
}
}  // namespace

std::int64_t Select_Line(Song& song, int n) {
  if (n < 1 || n > Max_Lines || song.Line_Start[n - 1] < 0) return -1;
  auto [start, length] = Line_Range(song, n);
  song.RTB_Raw.Select(start, length);
  std::optional<QRgb> color = song.RTB_Raw.Sel_Color();
  return color ? static_cast<std::int64_t>(*color & 0xffffffu) : -1;
}

Font_Rec Line_Font(const Song& song, int n) {
  if (n < 1 || n > Max_Lines || song.Line_Start[n - 1] < 0) return {};
  auto [start, length] = Line_Range(song, n);
  // The trailing line break carries no format of its own.
  QString text = song.RTB_Raw.Text().mid(start, length);
  while (length > 1 && (text[length - 1] == QChar('\r') || text[length - 1] == QChar('\n')))
    --length;
  return song.RTB_Raw.Font(start, length);
}

Font_Rec Selection_Font(const Song& song) { return song.RTB_Raw.Sel_Font(); }

std::optional<int> Singer_Palette_Index(const Song& song, QRgb text_color, int role) {
  if (role == Role_Background) return 0;
  if (role == Role_None) return 16;
  for (int s = 0; s < Singer_Count; ++s) {
    const Singer_Rec& singer = song.Singers[s];
    if ((singer.Text_Color & 0xffffffu) != (text_color & 0xffffffu)) continue;
    switch (role) {
      case Role_Unwiped_Outline: return singer.Unwiped_Outline;
      case Role_Unwiped_Body: return singer.Unwiped_Body;
      case Role_Wiped_Outline: return singer.Wiped_Outline;
      case Role_Wiped_Body: return singer.Wiped_Body;
      default: return std::nullopt;
    }
  }
  return std::nullopt;
}

bool File_Exists(const Ui& ui, const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return true;
  // A path whose volume (its first directory) is missing is reported as a missing volume.
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  auto it = p.begin();
  std::filesystem::path volume;
  if (it != p.end()) volume /= *it++;
  if (it != p.end()) volume /= *it;
  if (!volume.empty() && volume != p && !std::filesystem::exists(volume, ec)) {
    Show_Message(ui, "Volume for '" + path + "' does not contain any media or does not exist!");
    return false;
  }
  Show_Message(ui, "File '" + path + "' does not exist!");
  return false;
}

}  // namespace lyricanvas
