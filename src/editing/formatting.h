#pragma once
// The formatting commands of the lyrics editor: each applies one attribute to the selection of
// RTB_Raw (singer colour, font, bold, italic, underline, paragraph alignment), and the
// selection tracking that shows the selection's singer and font in the controls. Formats are
// kept in the rich text itself; no command moves a field.
#include <string>

#include "editing/text_tracking.h"
#include "model/song.h"

namespace lyricanvas {

enum class Text_Attribute { Bold, Italic, Underline };

/// The check box that shows and sets an attribute (Chk_Bold, chk_italic, Chk_Underline).
const char* Attribute_Control(Text_Attribute attribute);

/// Alignment code 0 left, 1 right, 2 centred, for every paragraph the selection touches.
void Align_Selection(Song& song, int alignment);
/// A check box value: 0 switches the attribute off, 1 on; 2 (grayed, a mixed selection) leaves
/// the selection as it is.
void Apply_Attribute(Song& song, Text_Attribute attribute, int check_value);
/// The chosen font name; nothing for an empty name.
void Apply_Font_Name(Song& song, const std::string& name);
/// The text of the size box: applied when it is a number greater than 0, ignored otherwise.
void Apply_Font_Size(Song& song, const std::string& text);
/// Gives the selection the text colour of singer 0 .. 7 and shows it in Com_Color.
void Apply_Singer(Song& song, Edit_Tracker& tracker, int singer);

/// The singer whose text colour a colour is, searched from the last singer down; -1 for none.
int Singer_Of_Color(const Song& song, QRgb color);

/// The editor's selection changed: the document takes it over; unless the program itself is
/// changing the text, a selection of one colour shows its singer in Com_Color and its font in
/// the font controls, and the selection before this one is remembered for the next edit.
void Selection_Changed(Song& song, Edit_Tracker& tracker, int start, int length);

/// Undo and redo of the lyrics document; the fields follow through the edit tracker.
void Undo_Edit(Song& song);
void Redo_Edit(Song& song);

}  // namespace lyricanvas
