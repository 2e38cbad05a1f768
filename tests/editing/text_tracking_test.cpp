#include "editing/text_tracking.h"

#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextDocument>
#include <map>
#include <random>

#include "editing/editing_song.h"
#include "pictures/picture_source.h"

namespace lyricanvas {
namespace {

// Edits as the editor makes them: through a cursor on the document, in our offsets.
void Replace(Song& song, int start, int length, const QString& text) {
  QTextCursor cursor(&song.RTB_Raw.Qt());
  cursor.beginEditBlock();
  cursor.setPosition(song.RTB_Raw.To_Qt(start));
  cursor.setPosition(song.RTB_Raw.To_Qt(start + length), QTextCursor::KeepAnchor);
  cursor.insertText(QString(text).replace("\r\n", "\n"));
  cursor.endEditBlock();
}

using testing::Tracked_Song;

TEST(UpdateData, TextDraggedElsewhereTakesItsFieldsAlongAndTheProgramsOwnChangesMoveNone) {
  Tracked_Song t;
  const auto before = t.song.Fields;
  QTextCursor drop(&t.song.RTB_Raw.Qt());  // a drag and drop is one edit: take out, put in
  drop.beginEditBlock();
  Replace(t.song, 3, 3, "");
  Replace(t.song, 11, 0, "der");
  drop.endEditBlock();
  EXPECT_EQ(t.song.RTB_Raw.Text(), "wonful timeder\r\nday");
  EXPECT_EQ(testing::Field_Texts(t.song), "won|der|ful|time|day");
  EXPECT_EQ(t.song.Fields[2].Events, before[2].Events);
  t.song.RTB_Raw.Qt().undo();
  EXPECT_EQ(t.song.Fields, before);
  t.song.RTB_Raw.Qt().redo();
  EXPECT_EQ(testing::Field_Texts(t.song), "won|der|ful|time|day");
  // The program replacing the text leaves nothing to undo.
  t.song.Suppress_Text_Events = true;
  t.song.RTB_Raw.Set_Text("other text");
  t.song.Suppress_Text_Events = false;
  EXPECT_FALSE(t.song.RTB_Raw.Qt().isUndoAvailable());
  Replace(t.song, 0, 0, "C");  // measured from the new text
  EXPECT_EQ(t.song.Text_Length, 11);
}

TEST(LocateChange, FindsTheChangedCharactersAndFindMoveACarriedPiece) {
  struct Case {
    const char* before;
    const char* after;
    Text_Change hint;
    Text_Change change;
    std::optional<Text_Move> move;
  };
  const Case cases[] = {
      {"abcdef", "abXcdef", {2, 0, 1}, {2, 0, 1}, {}},
      {"abcdef", "abcdef", {0, 0, 6}, {6, 0, 0}, {}},  // a format change over the text
      {"abcdef", "abXYef", {0, 0, 6}, {2, 2, 2}, {}},  // reported as the whole text; overtyped
      {"abcdef", "af", {1, 0, 0}, {1, 4, 0}, {}},
      {"ab", "abcd", {9, 0, 9}, {2, 0, 2}, {}},   // a report beyond the end
      {"aaa", "aaaa", {1, 0, 1}, {1, 0, 1}, {}},  // repeated letters: where reported
      {"xxABCdefgyy", "xxdefgABCyy", {0, 0, 11}, {2, 7, 7}, Text_Move{2, 3, 6}},  // to the right
      {"xxabcdEFyy", "xxEFabcdyy", {0, 0, 10}, {2, 6, 6}, Text_Move{6, 2, 2}},    // to the left
      {"xxabyy", "xxbayy", {0, 0, 6}, {2, 2, 2}, Text_Move{2, 1, 3}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Locate_Change(c.before, c.after, c.hint), c.change) << c.before << " " << c.after;
    EXPECT_EQ(Find_Move(c.before, c.after, c.change), c.move) << c.before << " " << c.after;
  }
}

TEST(UnwipeSelected, ClearsOrCutsBackTheFieldsOfTheSelection) {
  struct Case {
    int start, length;
    const char* fields;
  };
  const Case cases[] = {
      {3, 3, "won|(cleared)|ful|time|day"},  // exactly one field
      {2, 3, "wo|r|ful|time|day"},           // "nde": won loses its n, der keeps r
      {4, 1, "won|(cleared)|ful|time|day"},  // inside a field: the field goes
      {3, 0, "won|der|ful|time|day"},        // a caret between two fields
      {5, 7, "won|de|(cleared)|me|day"},     // from inside der to inside time
  };
  for (const Case& c : cases) {
    Tracked_Song t;
    t.song.Window_Controls.Set_Check("Chk_Tabmode", 1);
    t.song.RTB_Raw.Select(c.start, c.length);
    Unwipe_Selected(t.song);
    EXPECT_EQ(testing::Field_Texts(t.song), c.fields) << c.start << "+" << c.length;
    EXPECT_EQ(t.song.Window_Controls.Check("Chk_Tabmode"), 0);
  }
}

// Follows every character by identity: a field keeps its characters wherever they go, typed
// characters join the field of the character before them (a picture's field never grows, an
// inserted picture joins only a field around it), a field whose characters are all gone is
// cleared.
class Character_Model {
 public:
  explicit Character_Model(const Song& song) {
    for (int i = 0; i < song.RTB_Raw.Length(); ++i) ids_.push_back(next_id_++);
    for (int f = 1; f <= song.Field_Count; ++f) {
      const Field_Rec& field = song.Fields[f];
      fields_.push_back({{}, field.Events, Is_Picture_Field(field)});
      for (int p = field.First_Char; p <= field.Last_Char; ++p)
        fields_.back().ids.push_back(ids_[p - 1]);
    }
  }

  void Edit(int start, int removed, int added, bool picture = false) {
    const int id_before = start > 0 ? ids_[start - 1] : -1;
    std::vector<int> fresh;
    for (int i = 0; i < added; ++i) fresh.push_back(next_id_++);
    std::vector<int> gone(ids_.begin() + start, ids_.begin() + start + removed);
    ids_.erase(ids_.begin() + start, ids_.begin() + start + removed);
    ids_.insert(ids_.begin() + start, fresh.begin(), fresh.end());
    for (Expected& e : fields_) {
      std::erase_if(e.ids, [&](int id) { return std::count(gone.begin(), gone.end(), id) > 0; });
      auto at = std::find(e.ids.begin(), e.ids.end(), id_before);
      if (e.picture || at == e.ids.end() || (picture && at + 1 == e.ids.end())) continue;
      e.ids.insert(at + 1, fresh.begin(), fresh.end());
    }
  }

  void Check(const Song& song, const std::string& step) const {
    for (int f = 1; f <= static_cast<int>(fields_.size()); ++f) {
      const Field_Rec& field = song.Fields[f];
      const Expected& e = fields_[static_cast<std::size_t>(f - 1)];
      const std::string where = "field " + std::to_string(f) + " after " + step;
      if (e.ids.empty()) {
        ASSERT_TRUE(Is_Empty(field)) << where;
        continue;
      }
      ASSERT_EQ(field.Events, e.events) << where;
      const auto first = std::find(ids_.begin(), ids_.end(), e.ids.front()) - ids_.begin();
      ASSERT_EQ(field.First_Char, first + 1) << where;
      ASSERT_EQ(field.Last_Char, first + static_cast<int>(e.ids.size())) << where;
      for (std::size_t i = 0; i < e.ids.size(); ++i) ASSERT_EQ(ids_[first + i], e.ids[i]) << where;
      ASSERT_EQ(Field_At_Char(song, field.First_Char), f) << where;
    }
  }

 private:
  struct Expected {
    std::vector<int> ids;
    std::string events;
    bool picture = false;
  };
  std::vector<int> ids_;
  std::vector<Expected> fields_;
  int next_id_ = 0;
};

// Inserted text begins and ends with a character never seen before, so the change the document
// reports cannot be read as a shorter one that keeps an equal letter at either end.
QString Random_Text(std::mt19937& random, bool with_breaks) {
  static char16_t fresh = u'\u4E00';
  static const QString inner = "XYZQ0189";
  QString text(QChar(fresh++));
  const int length = static_cast<int>(random() % 5);
  for (int i = 0; i < length; ++i)
    text += random() % 4 == 0 ? QString(with_breaks ? "\r\n" : " ")
                              : QString(inner[static_cast<int>(random() % inner.size())]);
  if (length > 0) text += QChar(fresh++);
  return text;
}

// Typing, pasting, deleting, overtyping, inserting pictures, formatting and emptying the text,
// with undos and redos in between: every field stays on its characters, and every undo or redo
// gives back the fields as they were at that point of the history.
TEST(UpdateData, RandomEditsUndosAndRedosKeepEveryFieldOnItsCharacters) {
  for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
    Song song;
    testing::Build_Song(song, testing::Generated_Song(12, 90, seed));
    for (int line : {9, 5, 0}) {  // pictures with fields of their own opening some lines
      const int at = song.RTB_Raw.Line_Starts()[static_cast<std::size_t>(line)];
      Insert_Picture(song, at, "BM", "p.bmp");
      const auto position = static_cast<std::int16_t>(at + 1);
      song.Fields[++song.Field_Count] = {position, position,
                                         Picture_Record_Mark + std::string("<x=1>")};
    }
    Edit_Tracker tracker;
    Track_Edits(song, tracker);
    QTextDocument& doc = song.RTB_Raw.Qt();
    const auto original = song.Fields;
    Character_Model model(song);
    auto fields_now = [&] {
      return std::vector<Field_Rec>(song.Fields.begin(),
                                    song.Fields.begin() + song.Field_Count + 1);
    };
    // The model and the fields at each undo count of the document; new edits drop the redo side.
    std::map<int, std::pair<Character_Model, std::vector<Field_Rec>>> states;
    std::mt19937 random(seed);
    auto save_state = [&] {
      const int undo_count = doc.availableUndoSteps();
      std::erase_if(states, [&](const auto& s) { return s.first >= undo_count; });
      states.emplace(undo_count, std::make_pair(model, fields_now()));
    };
    save_state();
    for (int step = 0; step < 250; ++step) {
      const QString text = song.RTB_Raw.Text();
      const int length = text.size();
      const int kind = step % 120 == 119 ? 11 : static_cast<int>(random() % 11);
      const std::string name = "step " + std::to_string(step) + " seed " + std::to_string(seed);
      if (kind == 9 || kind == 10) {
        if (kind == 9 ? !doc.isUndoAvailable() : !doc.isRedoAvailable()) continue;
        kind == 9 ? doc.undo() : doc.redo();
        auto& [state_model, fields] = states.at(doc.availableUndoSteps());
        model = state_model;
        ASSERT_EQ(fields_now(), fields) << (kind == 9 ? "undo " : "redo ") << name;
        continue;
      }
      // Not between the CR and the LF of a line break.
      int start = static_cast<int>(random() % (length + 1));
      if (start > 0 && start < length && text[start] == '\n') --start;
      int removed = 0;
      QString added;
      if (kind == 0) {  // typing letter by letter, which the document may merge into one step
        QTextCursor cursor(&doc);
        cursor.setPosition(song.RTB_Raw.To_Qt(start));
        const QString typed = Random_Text(random, false);
        for (int i = 0; i < typed.size(); ++i) {
          cursor.insertText(typed.mid(i, 1));
          model.Edit(start + i, 0, 1);
        }
      } else if (kind == 1) {
        Insert_Picture(song, start, "BM", "p.bmp");
        model.Edit(start, 0, 1, true);
      } else if (kind == 2) {
        song.RTB_Raw.Set_Bold(start, std::min(20, length - start), true);
      } else if (kind == 11) {  // now and then: emptying the text
        start = 0;
        removed = length;
      } else {  // typing, pasting with breaks, Delete, deleting across fields and lines, overtyping
        const std::pair<int, int> most_removed_and_text[] = {{0, 1},  {0, 2}, {1, 0},
                                                             {30, 0}, {5, 1}, {5, 1}};
        const auto [most, text_kind] = most_removed_and_text[kind - 3];
        if (most > 0) removed = 1 + static_cast<int>(random() % most);
        if (text_kind > 0) added = Random_Text(random, text_kind == 2);
      }
      removed = std::min(removed, length - start);
      if (start + removed < length && text[start + removed] == '\n') ++removed;
      if (removed > 0 || !added.isEmpty()) {
        Replace(song, start, removed, added);
        model.Edit(start, removed, static_cast<int>(added.size()));
      }
      model.Check(song, name);
      if (kind == 11) {
        ASSERT_EQ(song.Field_Count, 0) << name;
      }
      if (::testing::Test::HasFatalFailure()) return;
      save_state();
    }
    while (doc.isUndoAvailable()) doc.undo();
    EXPECT_EQ(song.Fields, original) << "seed " << seed;
  }
}

}  // namespace
}  // namespace lyricanvas
