#pragma once
// Cutting the lyrics into one field per syllable, so that every Space press in Tab mode wipes
// the next syllable. Only fields are made; the text stays as it is, and characters that already
// belong to a field keep it.
#include <QString>

#include "model/song.h"
#include "model/ui.h"

namespace lyricanvas {

/// The text the user sees when the field table cannot take the next syllable.
extern const char* const Field_Table_Full_Message;

/// Gives every syllable of the lyrics that no field covers yet an untimed field of its own:
/// German rules when the text holds an Ü (either case), English rules otherwise. Returns the
/// number of fields made; a full field table stops it with one message through the Ui.
int Break_Syllables(Song& song, const Ui& ui);

/// The number of syllables the lyrics of the song hold by the same rules, fields or not
/// (at most the 5000 a field table holds).
int Syllable_Count(const Song& song);

/// Breaks the word at the 1-based scan position of text into fields and moves the scan position
/// past it (0 at the end of the text). Return false when the field table is full.
bool Break_Word_German(Song& song, const QString& text, int& scan);
bool Break_Word_English(Song& song, const QString& text, int& scan);

/// Makes untimed fields over the characters after start_offset up to end_offset that belong to
/// no field yet (one field per uncovered run; pictures are never covered). Returns false when
/// the field table is full.
bool Make_Field(Song& song, int start_offset, int end_offset);

}  // namespace lyricanvas
