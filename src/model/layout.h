#pragma once
// The layout pass: per-character pixel positions, lines, text styles and field edges of the
// lyrics on a CD+G line.
#include <QString>
#include <string>
#include <vector>

#include "model/song.h"

namespace lyricanvas {

/// Width of a lyrics line on the CD+G screen, in pixels.
constexpr int Lyrics_Line_Width = 286;
/// Character positions beyond this column are not on the line any more (their x becomes 0).
constexpr int Rightmost_Char_X = 300;
/// Width the lyrics wrap at, so that a wrapped line fits on the CD+G line: 4 pixels narrower
/// when an outline is drawn around the letters.
constexpr int Text_Width_No_Outline = Lyrics_Line_Width;
constexpr int Text_Width_Outline = Lyrics_Line_Width - 4;

/// Sets the text width of the lyrics and Draw_Outline from a wiping style, which re-wraps the
/// lines ("Draw no outline" gives the wider line and no outline).
void Apply_Wiping_Style(Song& song, const std::string& wiping_style);

/// The advance a character takes on a laid-out line: line breaks and pictures take none, as in
/// the document's line wrapping.
int Layout_Advance(const Font_Rec& font, QChar c);

/// Sizes Char_Field to positions 0 .. length + 100 and enters every field's number at its
/// characters (a later field wins where fields overlap).
void Fill_Char_Field(Song& song, int length);

/// Rebuilds Char_Field, Line_Start, Char_X, Char_Style, Text_Styles and Line_End_X from the
/// lyrics. Returns the warning text about pictures without appearance information ("" if none).
/// Offsets beyond Char_X's capacity are not measured, lines beyond 500 are not recorded, and at
/// most 100 pictures are checked.
std::string Layout_Text(Song& song);

/// How far a field edge at character position c is widened at word boundaries.
int Edge_Offset(const Song& song, int c);
/// The same over a text already fetched (for callers that test many edges).
int Edge_Offset(const QString& text, int wipe_margin, int c);

/// The warning about the listed pictures (numbers 1-based in text order); "" for none.
std::string Missing_Appearance_Warning(const std::vector<int>& picture_numbers);

}  // namespace lyricanvas
