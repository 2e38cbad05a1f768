#pragma once
// Builds timed songs in code for tests and benchmarks: lines of syllables, each syllable a field
// wiped from its start to its end time.
#include <string>
#include <vector>

#include "model/song.h"

namespace lyricanvas::testing {

struct Syllable {
  std::string text;  ///< may end with a blank that separates it from the next word
  double start = 0;  ///< seconds
  double end = 0;    ///< seconds; 0 = only a start event
};

struct Song_Line {
  std::vector<Syllable> syllables;  ///< empty: a blank line (ends a screen)
  int singer = 1;
};

/// Puts the lines into song.RTB_Raw (one paragraph each, in the singer's colour) and creates
/// one field per syllable.
void Build_Song(Song& song, const std::vector<Song_Line>& lines);

/// A song of line_count lines of 3 to 6 syllables spread evenly over seconds, alternating two
/// singers, with a fixed seed.
std::vector<Song_Line> Generated_Song(int line_count, double seconds, unsigned seed = 7);

}  // namespace lyricanvas::testing
