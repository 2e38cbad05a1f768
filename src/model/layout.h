#pragma once
// The layout pass: per-character pixel positions, lines, text styles and field edges of the
// lyrics on a CD+G line.
#include <string>

#include "model/song.h"

namespace lyricanvas {

/// Width of a lyrics line on the CD+G screen, in pixels.
constexpr int Lyrics_Line_Width = 286;

/// Rebuilds Char_Field, Line_Start, Char_X, Char_Style, Text_Styles and Line_End_X from the
/// lyrics. Returns the warning text about pictures without appearance information ("" if none).
std::string Layout_Text(Song& song);

/// How far a field edge at character position c is widened at word boundaries.
int Edge_Offset(const Song& song, int c);

/// The warning about the listed pictures (numbers 1-based in text order); "" for none.
std::string Missing_Appearance_Warning(const std::vector<int>& picture_numbers);

}  // namespace lyricanvas
