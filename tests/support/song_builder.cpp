#include "support/song_builder.h"

#include <random>

namespace lyricanvas::testing {

void Build_Song(Song& song, const std::vector<Song_Line>& lines) {
  QString text;
  std::vector<std::pair<int, int>> line_ranges;  // offset, length of each line
  song.Field_Count = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (n > 0) text += "\r\n";
    const int line_start = text.size();
    for (const Syllable& s : lines[n].syllables) {
      const QString part = QString::fromStdString(s.text);
      const auto first = static_cast<std::int16_t>(text.size() + 1);
      text += part;
      const auto last = static_cast<std::int16_t>(first + part.trimmed().size() - 1);
      std::string events = Encode_Event(1, static_cast<std::int64_t>(s.start * 300));
      if (s.end > 0) events += Encode_Event(250, static_cast<std::int64_t>(s.end * 300));
      if (song.Field_Count < Max_Fields) song.Fields[++song.Field_Count] = {first, last, events};
    }
    line_ranges.emplace_back(line_start, text.size() - line_start);
  }
  song.RTB_Raw.Set_Text(text);
  for (std::size_t n = 0; n < lines.size(); ++n)
    song.RTB_Raw.Set_Color(line_ranges[n].first, line_ranges[n].second,
                           song.Singers[lines[n].singer].Text_Color);
  song.Text_Length = song.RTB_Raw.Length();
}

std::vector<Song_Line> Generated_Song(int line_count, double seconds, unsigned seed) {
  static const char* words[] = {"sun",  "ny",  "morn", "ing", "la",   "ter", "ri",   "ver",
                                "danc", "ing", "hap",  "py",  "sing", "a",   "long", "song"};
  std::mt19937 random(seed);
  std::vector<Song_Line> lines;
  double per_line = (seconds - 10) / line_count;
  for (int n = 0; n < line_count; ++n) {
    Song_Line line;
    line.singer = 1 + n % 2;
    int count = 3 + static_cast<int>(random() % 4);
    double start = 5 + n * per_line;
    double step = per_line * 0.8 / count;
    for (int k = 0; k < count; ++k) {
      std::string text = words[random() % 16];
      if (k + 1 < count && random() % 2) text += " ";
      line.syllables.push_back({text, start + k * step, start + (k + 1) * step - 0.05});
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace lyricanvas::testing
