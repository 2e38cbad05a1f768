#pragma once
// Keeps the fields on their characters while the lyrics are edited. The QTextDocument behind
// RTB_Raw reports every change as (position, removed, added); Update_Data turns that into a
// change of our own offsets and moves, shrinks or clears the fields. Every step of the
// document's undo stack carries the field changes of its edit, so any sequence of undos and
// redos gives the fields back exactly as they were at that point.
#include <QMetaObject>
#include <QString>
#include <optional>
#include <vector>

#include "model/song.h"

namespace lyricanvas {

/// One change of the plain text in our offsets (line breaks count two): Removed characters at
/// offset Start were replaced by Added characters.
struct Text_Change {
  int Start = 0;
  int Removed = 0;
  int Added = 0;
  bool operator==(const Text_Change&) const = default;
};

/// A piece of text that an edit carried elsewhere (a drag and drop inside the lyrics): Length
/// characters at offset From of the text before stand at offset To of the text after.
struct Text_Move {
  int From = 0;
  int Length = 0;
  int To = 0;
  bool operator==(const Text_Move&) const = default;
};

/// A field that an edit did more to than move it along with the text after the edit.
struct Field_Change {
  int Index = 0;
  Field_Rec Before;
  Field_Rec After;
};

/// The field changes of one step of the document's undo stack.
struct Edit_Step {
  std::vector<Field_Change> Changes;
  int Count_Before = 0;  ///< Field_Count before the step (emptying the text resets it)
  int Undo_Mark = 0;     ///< the document's undo count once the step was complete
};

struct Edit_Tracker {
  Edit_Tracker() = default;
  Edit_Tracker(const Edit_Tracker&) = delete;
  Edit_Tracker& operator=(const Edit_Tracker&) = delete;
  ~Edit_Tracker();

  QString Text_Now;                 ///< the plain text after the last change
  std::vector<Edit_Step> Steps;     ///< one per undo step of the document
  int Steps_Done = 0;               ///< steps not undone
  int Undo_Count = 0;               ///< the document's undo count as last seen
  int Last_Sel_Length = 0;          ///< selection length before the change
  int Last_Sel_Type = 0;            ///< 2 when a picture is selected
  std::vector<QMetaObject::Connection> Connections;
};

/// The precise change between two texts, inside the range a change report names; characters
/// that are equal at both ends of the range are not taken as changed (a format change reports
/// its range but changes no text). Returns Removed = Added = 0 when the texts agree.
Text_Change Locate_Change(const QString& before, const QString& after, const Text_Change& hint);

/// Whether a change only moved a piece of text: its removed and added characters are the same
/// with a piece carried from one end to the other (the shorter piece counts as carried).
std::optional<Text_Move> Find_Move(const QString& before, const QString& after,
                                   const Text_Change& change);

/// Moves the fields for one change of the text: fields after it move along, characters taken
/// away leave their fields, characters typed right after or inside a field join it, a field
/// whose characters are all gone (or a picture whose character is gone) is cleared. Fields
/// changed otherwise than by moving along are appended to changed.
void Move_Fields(Song& song, const Text_Change& change, std::vector<Field_Change>* changed);

/// Makes the tracker follow the lyrics document of the song (again, after a project was opened
/// or the document replaced): forgets the history, turns the document's undo on and watches it.
/// From then on the song's Fields_Follow_Text is set; the tracker must not outlive the song.
void Track_Edits(Song& song, Edit_Tracker& tracker);

/// Handles one change report of the lyrics document: the Qt position and the number of
/// characters there now, as contentsChange gives them (what was removed follows from the text
/// before). Called by the document's signal once Track_Edits ran.
void Update_Data(Song& song, Edit_Tracker& tracker, int position, int added);

/// Notes that the document added an undo step (its undoCommandAdded signal).
void Undo_Step_Added(Song& song, Edit_Tracker& tracker);

/// Removes the timing of the selected text: fields inside the selection (or around it) are
/// cleared, fields reaching into it are cut back to its edge; Tab mode is switched off.
void Unwipe_Selected(Song& song);

}  // namespace lyricanvas
