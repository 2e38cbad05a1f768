#include "model/layout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <limits>

#include "model/controls.h"
#include "model/surface.h"

namespace lyricanvas {

namespace {

bool Is_Break(QChar c) { return c == QChar('\r') || c == QChar('\n'); }

std::int16_t Clamp16(int value) {
  return static_cast<std::int16_t>(std::clamp<int>(value, std::numeric_limits<std::int16_t>::min(),
                                                   std::numeric_limits<std::int16_t>::max()));
}

// Index of the style in Text_Styles (1-based), appended when it is new.
int Style_Index(Song& song, const Font_Rec& font, QRgb color) {
  for (std::size_t s = 1; s < song.Text_Styles.size(); ++s) {
    const Style_Rec& style = song.Text_Styles[s];
    if (Same_Font(style.Font, font) && style.Text_Color == color) return static_cast<int>(s);
  }
  Style_Rec style;
  style.Font = font;
  style.Text_Color = color;
  song.Text_Styles.push_back(style);
  return static_cast<int>(song.Text_Styles.size()) - 1;
}

void Record_Lines(Song& song, int length) {
  song.Line_Start.fill(-1);
  const std::vector<int>& starts = song.RTB_Raw.Line_Starts();
  const int count = song.RTB_Raw.Line_Count();
  const int kept = std::min(count, Max_Lines);
  for (int k = 0; k < kept; ++k) song.Line_Start[k] = Clamp16(starts[static_cast<std::size_t>(k)]);
  // The entry after the last kept line closes it.
  song.Line_Start[kept] =
      Clamp16(kept < count ? starts[static_cast<std::size_t>(kept)] : length + 1);
}

struct Char_Format {
  Font_Rec font;
  QRgb color = qRgb(0, 0, 0);
};

// The format of every offset, read fragment by fragment; a line break takes the format of the
// character before it.
std::vector<Char_Format> Char_Formats(const Document& doc, int length) {
  std::vector<Char_Format> formats(static_cast<std::size_t>(length));
  const QTextDocument& qt = doc.Qt();
  int block_offset = 0;
  for (QTextBlock block = qt.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const int first = block_offset + fragment.position() - block.position();
      const Char_Format format{Font_Of_Format(fragment.charFormat(), doc.Default_Font()),
                               doc.Color(first, 1).value_or(qRgb(0, 0, 0))};
      for (int i = first; i < first + fragment.length() && i < length; ++i)
        formats[static_cast<std::size_t>(i)] = format;
    }
    const int separator = block_offset + block.length() - 1;
    for (int i = separator; i < separator + 2 && i < length; ++i)
      formats[static_cast<std::size_t>(i)] = i > 0 ? formats[static_cast<std::size_t>(i) - 1]
                                                   : Char_Format{doc.Font(0, 1), *doc.Color(0, 1)};
    block_offset = separator + 2;
  }
  return formats;
}

// Measures every character at its integer advance in its own style; returns the picture offsets.
std::vector<int> Measure_Characters(Song& song, const QString& text) {
  std::vector<int> pictures;
  const int length = static_cast<int>(text.size());
  const std::vector<Char_Format> formats = Char_Formats(song.RTB_Raw, length);
  int x = 0;
  for (int i = 0; i < length && i <= Max_Char_X; ++i) {
    const Char_Format& format = formats[static_cast<std::size_t>(i)];
    song.Char_Style[i] = static_cast<std::int16_t>(Style_Index(song, format.font, format.color));
    song.Char_X[i] = x;
    x += Layout_Advance(format.font, text[i]);
    if (Is_Picture_Char(text[i]) && static_cast<int>(pictures.size()) < Max_Layout_Pictures)
      pictures.push_back(i);
  }
  for (int i = length; i <= length + 1 && i <= Max_Char_X; ++i) song.Char_X[i] = x;
  return pictures;
}

int Line_Shift(int alignment, int w, int x0, int m) {
  switch (alignment) {
    case Align_Center: {
      int half = static_cast<int>(std::floor((Lyrics_Line_Width - w) / 2.0));
      return half - x0 + m;
    }
    case Align_Right:
      return -x0 + Lyrics_Line_Width - w + m;
    default:
      return -x0 + m;
  }
}

// Moves every line to its place on the CD+G line and records where it ends.
void Align_Lines(Song& song, int length) {
  song.Line_End_X.fill(0);
  const int m = song.Wipe_Margin / 2;
  for (int k = 1; k <= Max_Lines && song.Line_Start[k] >= 0; ++k) {
    const int s = song.Line_Start[k - 1];
    int e = song.Line_Start[k] - 1;
    if (e < s) e = length;
    if (e + 1 > Max_Char_X) break;  // beyond the measured offsets
    const int w = song.Char_X[e + 1] - song.Char_X[s] + (song.Draw_Outline ? song.Wipe_Margin : 0);
    const int shift = Line_Shift(song.RTB_Raw.Alignment(s, 0), w, song.Char_X[s], m);
    for (int j = s; j <= e; ++j) song.Char_X[j] += shift;
    song.Line_End_X[k] = song.Char_X[s] + w;
  }
}

void Fill_Style_Palette(Song& song) {
  for (std::size_t s = 1; s < song.Text_Styles.size(); ++s) {
    Style_Rec& style = song.Text_Styles[s];
    auto entry = [&](int role) {
      return Singer_Palette_Index(song, style.Text_Color, role).value_or(-1);
    };
    style.Unwiped_Body = entry(Role_Unwiped_Body);
    style.Unwiped_Outline = entry(Role_Unwiped_Outline);
    style.Wiped_Outline = entry(Role_Wiped_Outline);
    style.Wiped_Body = entry(Role_Wiped_Body);
  }
}

std::vector<int> Pictures_Without_Appearance(const Song& song, const std::vector<int>& offsets) {
  std::vector<int> numbers;
  for (std::size_t n = 0; n < offsets.size(); ++n) {
    const int f = Field_At_Char(song, offsets[n] + 1);
    const bool picture = f >= 1 && f <= song.Field_Count && Is_Picture_Field(song.Fields[f]);
    const std::string properties = picture ? song.Fields[f].Events.substr(1) : std::string();
    if (Get_Property(properties, "Appearance_effect").empty())
      numbers.push_back(static_cast<int>(n) + 1);
  }
  return numbers;
}

}  // namespace

void Fill_Char_Field(Song& song, int length) {
  song.Char_Field.assign(static_cast<std::size_t>(length) + 101, 0);
  const int last = length + 100;
  // Later fields win where fields overlap, as Field_Containing reads them.
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& field = song.Fields[f];
    if (Is_Empty(field)) continue;
    for (int p = std::max<int>(field.First_Char, 0); p <= std::min<int>(field.Last_Char, last); ++p)
      song.Char_Field[static_cast<std::size_t>(p)] = static_cast<std::int16_t>(f);
  }
}

void Apply_Wiping_Style(Song& song, const std::string& wiping_style) {
  const bool outline = wiping_style != "Draw no outline";
  song.Draw_Outline = outline;
  song.RTB_Raw.Set_Text_Width(outline ? Text_Width_Outline : Text_Width_No_Outline);
}

int Layout_Advance(const Font_Rec& font, QChar c) {
  if (Is_Break(c) || Is_Picture_Char(c)) return 0;
  return Char_Advance(font, c);
}

std::string Layout_Text(Song& song) {
  const bool suppressed = song.Suppress_Text_Events;
  song.Suppress_Text_Events = true;
  const QString text = song.RTB_Raw.Text();
  const int length = static_cast<int>(text.size());
  song.Text_Styles.assign(1, Style_Rec{});
  song.Char_X.fill(0);
  song.Char_Style.fill(0);
  Fill_Char_Field(song, length);
  const std::vector<int> pictures = Measure_Characters(song, text);
  Record_Lines(song, length);
  Align_Lines(song, length);
  for (int i = 0; i <= std::min(length + 1, Max_Char_X); ++i)
    if (song.Char_X[i] > Rightmost_Char_X) song.Char_X[i] = 0;
  Fill_Style_Palette(song);
  song.Suppress_Text_Events = suppressed;
  return Missing_Appearance_Warning(Pictures_Without_Appearance(song, pictures));
}

int Edge_Offset(const QString& text, int wipe_margin, int c) {
  // Pictures stand for a blank between words.
  auto blank = [&](int position) {
    if (position < 1 || position > text.size()) return false;
    QChar ch = text[position - 1];
    return ch == QChar(' ') || Is_Break(ch) || Is_Picture_Char(ch);
  };
  if (c < 1 || blank(c)) return -wipe_margin;
  if (c + 1 > text.size() || blank(c + 1)) return wipe_margin;
  return 0;
}

int Edge_Offset(const Song& song, int c) {
  return Edge_Offset(song.RTB_Raw.Text(), song.Wipe_Margin, c);
}

std::string Missing_Appearance_Warning(const std::vector<int>& picture_numbers) {
  const std::size_t k = picture_numbers.size();
  if (k == 0) return {};
  const bool plural = k > 1;
  std::string text = plural ? "Pictures " : "Picture ";
  text += std::to_string(picture_numbers[0]);
  for (std::size_t i = 1; i < k; ++i)
    text += (i + 1 == k ? " and " : ", ") + std::to_string(picture_numbers[i]);
  text += plural ? " have" : " has";
  text += " no appearance information attached! ";
  text += plural ? "These pictures" : "This picture";
  text += " will not appear in your file!";
  return text;
}

}  // namespace lyricanvas
