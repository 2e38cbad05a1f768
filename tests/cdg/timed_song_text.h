#pragma once
// Timed songs written as text for the engine's suites.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/song_builder.h"

namespace lyricanvas {

/// "Eve@4.30 ~ning@4.70": a syllable and its time, "~" joining it to the word before; each lasts
/// until its end after a "-" or the next one's time (the last half a second); "@0" leaves it
/// untimed. "2>" starts a line of singer 2; a blank line ends a screen.
inline std::vector<testing::Song_Line> Parse_Song(const std::string& text) {
  std::vector<testing::Song_Line> lines;
  std::istringstream in(text);
  for (std::string row; std::getline(in, row);) {
    testing::Song_Line& line = lines.emplace_back();
    if (row.starts_with("2>")) line.singer = 2;
    std::istringstream words(row.substr(line.singer == 2 ? 2 : 0));
    for (std::string token; words >> token;) {
      const bool joined = token[0] == '~';
      const std::size_t at = token.find('@');
      if (!joined && !line.syllables.empty()) line.syllables.back().text += ' ';
      const std::size_t dash = token.find('-', at);
      // Whole packs, so that the builder's conversion cannot lose one.
      auto time = [&](std::size_t from) {
        return std::nearbyint(std::stod(token.substr(from)) * 300) / 300 + 1e-9;
      };
      line.syllables.push_back({token.substr(joined, at - joined), time(at + 1),
                                dash < token.size() ? time(dash + 1) : 0});
    }
  }
  testing::Syllable* previous = nullptr;
  for (auto& line : lines)
    for (auto& syllable : line.syllables) {
      if (syllable.start < 0.001) continue;
      if (previous && previous->end == 0) previous->end = syllable.start;
      previous = &syllable;
    }
  if (previous && previous->end == 0) previous->end = previous->start + 0.5;
  return lines;
}

}  // namespace lyricanvas
