#include "editing/text_tracking.h"

#include <QObject>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <optional>

#include "model/layout.h"

namespace lyricanvas {

namespace {

constexpr int Max_Position = std::numeric_limits<std::int16_t>::max();

// The field an undo or redo gives back, when the field is still as the edit left it (or only
// its timing changed since); nullopt when it changed otherwise and is best left alone.
std::optional<Field_Rec> Restored(const Field_Rec& now, const Field_Rec& left, const Field_Rec& back) {
  if (now == left) return back;
  bool same_place = now.First_Char == left.First_Char && now.Last_Char == left.Last_Char;
  if (Is_Empty(left) || Is_Empty(back) || !same_place) return std::nullopt;
  Field_Rec moved = now;  // re-timed since the edit: keep the new timing
  moved.First_Char = back.First_Char;
  moved.Last_Char = back.Last_Char;
  return moved;
}

void Move(Song& song, const Text_Change& change, std::vector<Field_Change>* changed, bool join);

// A piece of text that moved: the fields wholly inside it go along with it, the text it passed
// closes up behind it and opens before it. Every field that ends up elsewhere is recorded
// against where it stood before the move.
void Apply_Move(Song& song, const Text_Move& move, std::vector<Field_Change>* changed) {
  const std::vector<Field_Rec> before(song.Fields.begin(),
                                      song.Fields.begin() + song.Field_Count + 1);
  Move(song, {move.From, move.Length, 0}, nullptr, false);
  Move(song, {move.To, 0, move.Length}, nullptr, false);
  const int shift = move.To - move.From;
  for (int f = 1; f <= song.Field_Count; ++f) {
    const Field_Rec& old = before[static_cast<std::size_t>(f)];
    Field_Rec& now = song.Fields[f];
    if (old.First_Char > move.From && old.Last_Char <= move.From + move.Length) {
      now = old;
      now.First_Char = static_cast<std::int16_t>(old.First_Char + shift);
      now.Last_Char = static_cast<std::int16_t>(old.Last_Char + shift);
    }
    if (changed && !(now == old)) changed->push_back({f, old, now});
  }
}

// Applies one change, emptying the field table when the text is gone. An undo or redo puts
// back text whose fields its step restores, so there typed characters join no field.
void Apply_Change(Song& song, const Text_Change& change, const std::optional<Text_Move>& move,
                  int new_length, std::vector<Field_Change>* changed, bool join = true) {
  if (move) Apply_Move(song, *move, changed);
  else Move(song, change, changed, join);
  if (new_length > 0) return;
  for (int f = 1; f <= song.Field_Count; ++f) {
    if (Is_Empty(song.Fields[f])) continue;
    if (changed) changed->push_back({f, song.Fields[f], Field_Rec{}});
    song.Fields[f] = Field_Rec{};
  }
  song.Field_Count = 0;
}

// Undo (back = true) or redo of a step, after the text change itself moved the other fields.
void Replay_Step(Song& song, const Text_Change& change, const std::optional<Text_Move>& move,
                 int new_length, const Edit_Step& step, bool back) {
  std::vector<Field_Rec> before_replay;
  before_replay.reserve(step.Changes.size());
  for (const Field_Change& c : step.Changes) before_replay.push_back(song.Fields[c.Index]);
  if (back) song.Field_Count = std::max(song.Field_Count, step.Count_Before);
  Apply_Change(song, change, move, new_length, nullptr, false);
  for (std::size_t k = step.Changes.size(); k-- > 0;) {
    const Field_Change& c = step.Changes[k];
    const Field_Rec& left = back ? c.After : c.Before;
    const Field_Rec& wanted = back ? c.Before : c.After;
    if (auto field = Restored(before_replay[k], left, wanted)) song.Fields[c.Index] = *field;
  }
}

void Merge_Into(Edit_Step& step, const std::vector<Field_Change>& changes) {
  for (const Field_Change& c : changes) {
    auto it = std::find_if(step.Changes.begin(), step.Changes.end(),
                           [&](const Field_Change& old) { return old.Index == c.Index; });
    if (it == step.Changes.end()) step.Changes.push_back(c);
    else it->After = c.After;
  }
}

void Forget_Redo(Edit_Tracker& tracker) {
  tracker.Steps.resize(static_cast<std::size_t>(tracker.Steps_Done));
}

void Reset_History(Edit_Tracker& tracker) {
  tracker.Steps.clear();
  tracker.Steps_Done = 0;
}

}  // namespace

Edit_Tracker::~Edit_Tracker() {
  for (const QMetaObject::Connection& c : Connections) QObject::disconnect(c);
}

Text_Change Locate_Change(const QString& before, const QString& after, const Text_Change& hint) {
  const int old_length = before.size(), new_length = after.size();
  int start = std::clamp(hint.Start, 0, std::min(old_length, new_length));
  int new_end = std::clamp(hint.Start + hint.Added, start, new_length);
  int old_end = old_length - (new_length - new_end);
  if (old_end < start) {  // a report that does not fit the texts: compare them whole
    start = 0;
    new_end = new_length;
    old_end = old_length;
  }
  while (start < old_end && start < new_end && before[start] == after[start]) ++start;
  while (old_end > start && new_end > start && before[old_end - 1] == after[new_end - 1]) {
    --old_end;
    --new_end;
  }
  return Text_Change{start, old_end - start, new_end - start};
}

std::optional<Text_Move> Find_Move(const QString& before, const QString& after,
                                   const Text_Change& change) {
  const int n = change.Removed;
  if (n < 2 || change.Added != n) return std::nullopt;
  const QString old_piece = before.mid(change.Start, n), new_piece = after.mid(change.Start, n);
  const int k = static_cast<int>((old_piece + old_piece).indexOf(new_piece, 1));
  if (k <= 0 || k >= n) return std::nullopt;
  // The shorter of the two pieces is the one that was carried.
  if (k <= n - k) return Text_Move{change.Start, k, change.Start + n - k};
  return Text_Move{change.Start + k, n - k, change.Start};
}

namespace {

void Move(Song& song, const Text_Change& change, std::vector<Field_Change>* changed, bool join) {
  const int e = change.Start, removed_end = change.Start + change.Removed;
  const int delta = change.Added - change.Removed;
  if (change.Removed == 0 && change.Added == 0) return;
  for (int f = 1; f <= song.Field_Count; ++f) {
    Field_Rec& field = song.Fields[f];
    const int first = field.First_Char, last = field.Last_Char;
    if (first <= 0 || last < e) continue;  // cleared, or wholly before the change
    if (first > removed_end) {             // wholly after it: moves along
      if (last + delta > Max_Position) {
        field = Field_Rec{};
        continue;
      }
      field.First_Char = static_cast<std::int16_t>(first + delta);
      field.Last_Char = static_cast<std::int16_t>(last + delta);
      continue;
    }
    Field_Rec before = field;
    if (Is_Picture_Field(field)) {
      if (first > e) field = Field_Rec{};  // its character was taken away
    } else {
      // Typed characters join a field whose character stands right before them; a field whose
      // first characters went starts after the typed ones.
      int new_first = first <= e ? first : e + change.Added + 1;
      int new_last = last > removed_end ? last + delta : (last == e && !join) ? e : e + change.Added;
      if (new_first > new_last || new_last > Max_Position) {
        field = Field_Rec{};
      } else {
        field.First_Char = static_cast<std::int16_t>(new_first);
        field.Last_Char = static_cast<std::int16_t>(new_last);
      }
    }
    // Recorded even when its numbers came out the same: its characters may not be.
    if (changed) changed->push_back({f, before, field});
  }
}

}  // namespace

void Move_Fields(Song& song, const Text_Change& change, std::vector<Field_Change>* changed) {
  Move(song, change, changed, true);
}

void Track_Edits(Song& song, Edit_Tracker& tracker) {
  for (const QMetaObject::Connection& c : tracker.Connections) QObject::disconnect(c);
  tracker.Connections.clear();
  QTextDocument& doc = song.RTB_Raw.Qt();
  doc.documentLayout();  // a document reports its changes only once it has a layout
  doc.setUndoRedoEnabled(true);
  doc.clearUndoRedoStacks();
  Reset_History(tracker);
  tracker.Undo_Count = 0;
  tracker.Text_Now = song.RTB_Raw.Text();
  song.Text_Length = tracker.Text_Now.size();
  Fill_Char_Field(song, song.Text_Length);
  song.Fields_Follow_Text = true;
  Song* s = &song;
  Edit_Tracker* t = &tracker;
  tracker.Connections.push_back(QObject::connect(
      &doc, &QTextDocument::contentsChange, &doc,
      [s, t](int position, int, int added) { Update_Data(*s, *t, position, added); }));
  tracker.Connections.push_back(QObject::connect(&doc, &QTextDocument::undoCommandAdded, &doc,
                                                 [s, t] { Undo_Step_Added(*s, *t); }));
}

void Undo_Step_Added(Song& song, Edit_Tracker& tracker) {
  const QTextDocument& doc = song.RTB_Raw.Qt();
  if (song.Suppress_Text_Events) return;
  Forget_Redo(tracker);
  tracker.Steps.push_back(Edit_Step{{}, song.Field_Count, doc.availableUndoSteps()});
  tracker.Steps_Done = static_cast<int>(tracker.Steps.size());
  tracker.Undo_Count = doc.availableUndoSteps();
}

void Update_Data(Song& song, Edit_Tracker& tracker, int position, int added) {
  QTextDocument& doc = song.RTB_Raw.Qt();
  const QString text = song.RTB_Raw.Text();
  const int length = text.size();
  if (song.Suppress_Text_Events) {
    // The program's own change (opening, importing) is the new starting point: its fields are
    // set by whoever made it, and no undo may lead back behind it.
    doc.clearUndoRedoStacks();
    Reset_History(tracker);
  } else {
    // The document's undo count tells an undo or redo from a new edit (which never lowers it,
    // and raises it only after announcing a new step).
    const int undo = doc.availableUndoSteps();
    Text_Change hint{song.RTB_Raw.From_Qt(position), 0, 0};
    hint.Added = song.RTB_Raw.From_Qt(position + added) - hint.Start;
    Text_Change change = Locate_Change(tracker.Text_Now, text, hint);
    std::optional<Text_Move> move = Find_Move(tracker.Text_Now, text, change);
    if (undo < tracker.Undo_Count) {
      while (tracker.Steps_Done > 0 && tracker.Steps[tracker.Steps_Done - 1].Undo_Mark > undo) {
        Replay_Step(song, change, move, length, tracker.Steps[--tracker.Steps_Done], true);
        change = {};  // the text change is done once; earlier steps only give fields back
        move.reset();
      }
    } else if (undo > tracker.Undo_Count) {
      while (tracker.Steps_Done < static_cast<int>(tracker.Steps.size()) &&
             tracker.Steps[tracker.Steps_Done].Undo_Mark <= undo) {
        Replay_Step(song, change, move, length, tracker.Steps[tracker.Steps_Done++], false);
        change = {};
        move.reset();
      }
    } else {
      Forget_Redo(tracker);
      std::vector<Field_Change> changes;
      const bool recorded = tracker.Steps_Done > 0 && undo > 0;
      // An inserted picture is a field of its own; it never joins the syllable before it.
      const bool join = !text.mid(change.Start, change.Added).contains(QChar(Picture_Char));
      Apply_Change(song, change, move, length, recorded ? &changes : nullptr, join);
      if (recorded) Merge_Into(tracker.Steps[tracker.Steps_Done - 1], changes);
      change = {};
      move.reset();
    }
    Apply_Change(song, change, move, length, nullptr);  // an undo or redo beyond the known steps
  }
  tracker.Undo_Count = doc.availableUndoSteps();
  if (!doc.isUndoAvailable() && !doc.isRedoAvailable()) Reset_History(tracker);
  tracker.Text_Now = text;
  song.Text_Length = length;
  Fill_Char_Field(song, length);
}

void Unwipe_Selected(Song& song) {
  // Selected characters are the positions after the start offset up to the end offset.
  const int s = song.RTB_Raw.Sel_Start(), e = s + song.RTB_Raw.Sel_Length();
  for (int f = 1; f <= song.Field_Count; ++f) {
    Field_Rec& field = song.Fields[f];
    if (field.First_Char <= 0) continue;
    const int first = field.First_Char, last = field.Last_Char;
    if ((first > s && last <= e) || (first <= s && last > e)) field = Field_Rec{};
    else if (first <= s && last > s) field.Last_Char = static_cast<std::int16_t>(s);
    else if (first <= e && last > e) field.First_Char = static_cast<std::int16_t>(e + 1);
  }
  Fill_Char_Field(song, song.RTB_Raw.Length());
  song.Window_Controls.Set_Check("Chk_Tabmode", 0);
}

}  // namespace lyricanvas
