#pragma once
// Timed text: a small plain-text format for timed songs, for tests and the command-line tool.
//
//   # A comment line (its first non-blank character is '#').
//   [2] Hel|lo@1.5-2.25 dar@3|ling@3.5-4
//   [3] sun@5ny@5.5 day@6-1:07.5
//
//   again@70
//
// Every other line of the file is one line of lyrics, in UTF-8; an empty line is an empty
// lyrics line, which ends a screen. A line may begin with "[n]" (n = 0..7, blanks after it are
// dropped): the line is written in the text colour of singer n; without it, singer 1.
// Blanks separate words and stay in the text. A syllable is its text followed by "@start" or
// "@start-end"; the syllables of one word are joined with "|" or written adjacent (after a time
// the next syllable begins). Times are seconds ("12", "12.5") or minutes and seconds ("1:07.5").
// Text without a time ("la|la" or "(chorus)") belongs to no syllable. A backslash takes the
// next character literally ("\@", "\|", "\\", "\[" and "\#" at the start of a line).
//
// Each timed syllable becomes one field over its characters, with the events start (position
// digit 1) and, when given, end (position digit 250), in packs of 1/300 second.
#include <string>
#include <string_view>

#include "model/song.h"

namespace lyricanvas {

/// Replaces the lyrics (text and colours) and the fields of the song by the timed text. Bad
/// input gives false, a message naming the line ("line 3: ...") in error, and an unchanged song.
bool Load_Timed_Text(Song& song, std::string_view text, std::string& error);

}  // namespace lyricanvas
