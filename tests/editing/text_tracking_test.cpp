#include "editing/text_tracking.h"

#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextDocument>
#include <map>
#include <random>

#include "pictures/picture_source.h"
#include "support/song_builder.h"

namespace lyricanvas {

void PrintTo(const Field_Rec& f, std::ostream* os) {
  *os << "[" << f.First_Char << ".." << f.Last_Char << " events " << f.Events.size() << "]";
}

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
void Insert(Song& song, int at, const QString& text) { Replace(song, at, 0, text); }
void Remove(Song& song, int start, int length) { Replace(song, start, length, {}); }

QString Field_Text(const Song& song, int f) {
  const Field_Rec& field = song.Fields[f];
  if (field.First_Char <= 0) return "(cleared)";
  return song.RTB_Raw.Text().mid(field.First_Char - 1, field.Last_Char - field.First_Char + 1);
}

// "won der ful" on the first line, "day" on the second; fields 1..4 are timed.
struct Tracked_Song {
  Song song;
  Edit_Tracker tracker;
  Tracked_Song() {
    testing::Build_Song(song, {{{{"won", 1, 2}, {"der", 2, 3}, {"ful ", 3, 4}, {"time", 4, 5}}},
                               {{{"day", 6, 7}}}});
    Track_Edits(song, tracker);
  }
  std::string Texts() {
    QStringList parts;
    for (int f = 1; f <= song.Field_Count; ++f) parts << Field_Text(song, f);
    return parts.join('|').toStdString();
  }
};

struct Edit_Case {
  const char* name;
  std::function<void(Song&)> edit;
  const char* fields;  // the text under each field afterwards
};

TEST(UpdateData, FieldsFollowTheirCharacters) {
  // Text: "wonderful time\r\nday" (won 1-3, der 4-6, ful 7-9, time 11-14, day 17-19).
  const Edit_Case cases[] = {
      {"typing before a field", [](Song& s) { Insert(s, 0, "XY"); }, "won|der|ful|time|day"},
      {"typing right after a field's last character", [](Song& s) { Insert(s, 3, "XY"); },
       "wonXY|der|ful|time|day"},
      {"deleting inside a field", [](Song& s) { Remove(s, 4, 1); }, "won|dr|ful|time|day"},
      {"deleting a whole field", [](Song& s) { Remove(s, 3, 3); }, "won|(cleared)|ful|time|day"},
      {"backspace at a field's start", [](Song& s) { Remove(s, 2, 1); }, "wo|der|ful|time|day"},
      {"delete on a line break", [](Song& s) { Remove(s, 14, 2); }, "won|der|ful|time|day"},
      {"typing a line break inside a field", [](Song& s) { Insert(s, 12, "\r\n"); },
       "won|der|ful|ti\r\nme|day"},
      {"overtyping a field's first characters", [](Song& s) { Replace(s, 3, 2, "XYZ"); },
       "wonXYZ|r|ful|time|day"},
      {"overtyping across two fields", [](Song& s) { Replace(s, 5, 3, "Q"); },
       "won|deQ|l|time|day"},
      {"deleting across a line break and fields", [](Song& s) { Remove(s, 12, 6); },
       "won|der|ful|ti|y"},
  };
  for (const Edit_Case& c : cases) {
    Tracked_Song t;
    c.edit(t.song);
    EXPECT_EQ(t.Texts(), c.fields) << c.name;
    // Later fields keep their timing, and Char_Field follows.
    EXPECT_EQ(t.song.Fields[5].Events, Encode_Event(1, 6 * 300) + Encode_Event(250, 7 * 300))
        << c.name;
    EXPECT_EQ(Field_At_Char(t.song, t.song.Fields[5].First_Char), 5) << c.name;
  }
}

TEST(UpdateData, APictureFieldGoesWithItsCharacter) {
  Tracked_Song t;
  t.song.RTB_Raw.Insert_Picture(10, Embedded_Picture{"BM", ""});
  t.song.Fields[++t.song.Field_Count] = {11, 11, std::string(1, Picture_Record_Mark) + "<x=1>"};
  Insert(t.song, 10, "AB");  // right before the picture: it moves
  EXPECT_EQ(t.song.Fields[6].First_Char, 13);
  EXPECT_EQ(t.song.Fields[6].Last_Char, 13);
  Insert(t.song, 13, "CD");  // right after it: it does not grow
  EXPECT_EQ(t.song.Fields[6].Last_Char, 13);
  Remove(t.song, 12, 3);  // takes the picture's character away
  EXPECT_TRUE(Is_Empty(t.song.Fields[6]));
}

TEST(UpdateData, AnInsertedPictureFileMovesTheFieldsOnceAndJoinsNoSyllable) {
  for (int at : {3, 4, 10}) {  // right after "won", inside "der", after the blank
    Tracked_Song t;
    Insert_Picture(t.song, at, "BM", "picture.bmp");
    QString expected = "won|der|ful|time|day";
    if (at == 4) expected = QString("won|d") + QChar(Picture_Char) + "er|ful|time|day";
    EXPECT_EQ(t.Texts(), expected.toStdString()) << at;
    t.song.RTB_Raw.Qt().undo();
    EXPECT_EQ(t.Texts(), "won|der|ful|time|day") << at;
  }
}

TEST(UpdateData, TextDraggedElsewhereTakesItsFieldsAlong) {
  Tracked_Song t;
  const auto before = t.song.Fields;
  QTextCursor drop(&t.song.RTB_Raw.Qt());  // a drag and drop is one edit: take out, put in
  drop.beginEditBlock();
  Remove(t.song, 3, 3);
  Insert(t.song, 11, "der");
  drop.endEditBlock();
  EXPECT_EQ(t.song.RTB_Raw.Text(), "wonful timeder\r\nday");
  EXPECT_EQ(t.Texts(), "won|der|ful|time|day");
  EXPECT_EQ(t.song.Fields[2].Events, before[2].Events);
  t.song.RTB_Raw.Qt().undo();
  EXPECT_EQ(t.song.Fields, before);
  t.song.RTB_Raw.Qt().redo();
  EXPECT_EQ(t.Texts(), "won|der|ful|time|day");
  EXPECT_EQ(t.song.Fields[2].First_Char, 12);
}

TEST(FindMove, TellsACarriedPieceFromAnyOtherChange) {
  struct Case {
    const char* before;
    const char* after;
    std::optional<Text_Move> expected;
  };
  const Case cases[] = {
      {"xxABCdefgyy", "xxdefgABCyy", Text_Move{2, 3, 6}},  // carried to the right
      {"xxabcdEFyy", "xxEFabcdyy", Text_Move{6, 2, 2}},    // carried to the left
      {"xxabcdyy", "xxwxyzyy", std::nullopt},              // overtyped
      {"xxabyy", "xxbayy", Text_Move{2, 1, 3}},
      {"xxabcyy", "xxabcdyy", std::nullopt},               // typed
  };
  for (const Case& c : cases) {
    const Text_Change change = Locate_Change(c.before, c.after, {0, 0, static_cast<int>(strlen(c.after))});
    EXPECT_EQ(Find_Move(c.before, c.after, change), c.expected) << c.before << " " << c.after;
  }
}

TEST(UpdateData, AFormatChangeMovesNoFieldAndItsUndoNeither) {
  Tracked_Song t;
  const auto before = t.song.Fields;
  t.song.RTB_Raw.Set_Color(2, 10, qRgb(0, 128, 128));
  t.song.RTB_Raw.Set_Bold(0, 19, true);
  t.song.RTB_Raw.Qt().undo();
  t.song.RTB_Raw.Qt().undo();
  t.song.RTB_Raw.Qt().redo();
  EXPECT_EQ(t.song.Fields, before);
}

TEST(UpdateData, EmptyingTheTextRemovesAllFieldsAndUndoBringsThemBack) {
  Tracked_Song t;
  const auto before = t.song.Fields;
  Remove(t.song, 0, t.song.RTB_Raw.Length());
  EXPECT_EQ(t.song.Field_Count, 0);
  Insert(t.song, 0, "new");
  t.song.RTB_Raw.Qt().undo();
  t.song.RTB_Raw.Qt().undo();
  EXPECT_EQ(t.song.Field_Count, 5);
  EXPECT_EQ(t.song.Fields, before);
}

TEST(UpdateData, RetypingDeletedTextIsNotAnUndo) {
  Tracked_Song t;
  const auto before = t.song.Fields;
  Remove(t.song, 3, 3);
  Insert(t.song, 3, "der");
  EXPECT_EQ(t.Texts(), "wonder|(cleared)|ful|time|day");  // typed after won: joins it
  t.song.RTB_Raw.Qt().undo();
  t.song.RTB_Raw.Qt().undo();
  EXPECT_EQ(t.song.Fields, before);
}

TEST(UpdateData, TheProgramsOwnChangesMoveNoFieldAndCannotBeUndone) {
  Tracked_Song t;
  Insert(t.song, 0, "AB");
  t.song.Suppress_Text_Events = true;
  t.song.RTB_Raw.Set_Text("other text");
  t.song.Suppress_Text_Events = false;
  EXPECT_FALSE(t.song.RTB_Raw.Qt().isUndoAvailable());
  Insert(t.song, 0, "C");  // measured from the new text
  EXPECT_EQ(t.song.Text_Length, 11);
}

TEST(LocateChange, FindsTheChangedCharactersInsideTheReportedRange) {
  struct Case {
    const char* before;
    const char* after;
    Text_Change hint;
    Text_Change expected;
  };
  const Case cases[] = {
      {"abcdef", "abXcdef", {2, 0, 1}, {2, 0, 1}},
      {"abcdef", "abcdef", {0, 0, 6}, {6, 0, 0}},       // a format change over the text
      {"abcdef", "abXYef", {0, 0, 6}, {2, 2, 2}},       // reported as the whole text
      {"abcdef", "af", {1, 0, 0}, {1, 4, 0}},
      {"ab", "abcd", {9, 0, 9}, {2, 0, 2}},             // a report beyond the end
      {"aaa", "aaaa", {1, 0, 1}, {1, 0, 1}},            // repeated letters: where reported
  };
  for (const Case& c : cases)
    EXPECT_EQ(Locate_Change(c.before, c.after, c.hint), c.expected) << c.before << " " << c.after;
}

TEST(UnwipeSelected, ClearsOrCutsBackTheFieldsOfTheSelection) {
  struct Case {
    int start, length;
    const char* fields;
  };
  const Case cases[] = {
      {3, 3, "won|(cleared)|ful|time|day"},       // exactly one field
      {2, 3, "wo|r|ful|time|day"},                // "nde": won loses its n, der keeps r
      {4, 1, "won|(cleared)|ful|time|day"},       // inside a field: the field goes
      {3, 0, "won|der|ful|time|day"},             // a caret between two fields
      {5, 7, "won|de|(cleared)|me|day"},          // from inside der to inside time
  };
  for (const Case& c : cases) {
    Tracked_Song t;
    t.song.Window_Controls.Set_Check("Chk_Tabmode", 1);
    t.song.RTB_Raw.Select(c.start, c.length);
    Unwipe_Selected(t.song);
    EXPECT_EQ(t.Texts(), c.fields) << c.start << "+" << c.length;
    EXPECT_EQ(t.song.Window_Controls.Check("Chk_Tabmode"), 0);
  }
}

// Random edits against a model that follows every character by identity.
class Character_Model {
 public:
  explicit Character_Model(const Song& song) {
    const int length = song.RTB_Raw.Length();
    for (int i = 0; i < length; ++i) ids_.push_back(next_id_++);
    for (int f = 1; f <= song.Field_Count; ++f) {
      const Field_Rec& field = song.Fields[f];
      Expected e{{}, field.Events, Is_Picture_Field(field)};
      for (int p = field.First_Char; p <= field.Last_Char; ++p) e.ids.push_back(ids_[p - 1]);
      fields_.push_back(e);
    }
  }

  void Edit(int start, int removed, int added) {
    const bool has_before = start > 0;
    const int id_before = has_before ? ids_[start - 1] : -1;
    std::vector<int> fresh;
    for (int i = 0; i < added; ++i) fresh.push_back(next_id_++);
    std::vector<int> gone(ids_.begin() + start, ids_.begin() + start + removed);
    ids_.erase(ids_.begin() + start, ids_.begin() + start + removed);
    ids_.insert(ids_.begin() + start, fresh.begin(), fresh.end());
    for (Expected& e : fields_) {
      if (e.ids.empty()) continue;
      std::erase_if(e.ids, [&](int id) { return std::count(gone.begin(), gone.end(), id) > 0; });
      auto at = std::find(e.ids.begin(), e.ids.end(), id_before);
      if (e.picture || !has_before || at == e.ids.end()) continue;
      e.ids.insert(at + 1, fresh.begin(), fresh.end());
    }
    for (Expected& e : fields_)
      if (e.picture && e.ids.empty()) e.events.clear();
  }

  void Check(const Song& song, const std::string& step) const {
    for (std::size_t k = 0; k < fields_.size(); ++k) {
      const Field_Rec& field = song.Fields[k + 1];
      const Expected& e = fields_[k];
      if (e.ids.empty()) {
        ASSERT_TRUE(Is_Empty(field)) << "field " << k + 1 << " after " << step;
        continue;
      }
      ASSERT_EQ(field.Events, e.events) << "field " << k + 1 << " after " << step;
      auto first = std::find(ids_.begin(), ids_.end(), e.ids.front()) - ids_.begin();
      ASSERT_EQ(field.First_Char, first + 1) << "field " << k + 1 << " after " << step;
      ASSERT_EQ(field.Last_Char, first + static_cast<int>(e.ids.size()))
          << "field " << k + 1 << " after " << step;
      for (std::size_t i = 0; i < e.ids.size(); ++i)
        ASSERT_EQ(ids_[first + i], e.ids[i]) << "field " << k + 1 << " after " << step;
    }
  }

  int Length() const { return static_cast<int>(ids_.size()); }

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

// A random offset that does not fall between the CR and the LF of a line break.
int Offset_At(const QString& text, std::mt19937& random, int low, int high) {
  int offset = low + static_cast<int>(random() % (high - low + 1));
  if (offset > 0 && offset < text.size() && text[offset] == '\n') --offset;
  return offset;
}

// Inserted text begins and ends with a character never seen before, so the change the document
// reports cannot be read as a shorter one that keeps an equal letter at either end.
QString Random_Text(std::mt19937& random, bool with_breaks) {
  static char16_t fresh = u'\u4E00';
  static const QString inner = "XYZQ0189";
  QString text(QChar(fresh++));
  int length = static_cast<int>(random() % 5);
  for (int i = 0; i < length; ++i) {
    if (random() % 4 == 0) text += with_breaks ? "\r\n" : " ";
    else text += inner[static_cast<int>(random() % inner.size())];
  }
  if (length > 0) text += QChar(fresh++);
  return text;
}

TEST(UpdateData, RandomEditsUndosAndRedosKeepEveryFieldOnItsCharacters) {
  for (unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
    Song song;
    testing::Build_Song(song, testing::Generated_Song(12, 90, seed));
    Edit_Tracker tracker;
    Track_Edits(song, tracker);
    QTextDocument& doc = song.RTB_Raw.Qt();
    const auto original = song.Fields;
    const int original_count = song.Field_Count;
    Character_Model model(song);
    // What the fields must be at each undo count of the document; new edits drop the redo side.
    auto fields_now = [&] {
      return std::vector<Field_Rec>(song.Fields.begin(), song.Fields.begin() + original_count + 1);
    };
    std::map<int, std::pair<Character_Model, std::vector<Field_Rec>>> states;
    states.emplace(0, std::make_pair(model, fields_now()));
    std::mt19937 random(seed);
    for (int step = 0; step < 250; ++step) {
      const QString text = song.RTB_Raw.Text();
      const int length = text.size();
      const int kind = static_cast<int>(random() % 10);
      std::string name = "step " + std::to_string(step) + " seed " + std::to_string(seed);
      if (kind >= 8) {
        bool undo = kind == 8;
        if (undo ? !doc.isUndoAvailable() : !doc.isRedoAvailable()) continue;
        undo ? doc.undo() : doc.redo();
        auto& [state_model, fields] = states.at(doc.availableUndoSteps());
        model = state_model;
        for (int f = 1; f <= original_count; ++f)
          ASSERT_EQ(song.Fields[f], fields[f]) << "field " << f << (undo ? " undo " : " redo ") << name;
        continue;
      }
      int start = Offset_At(text, random, 0, length);
      int removed = 0;
      QString added;
      if (kind == 0) {  // typing letter by letter, which the document may merge into one step
        if (start < length && text[start] == '\r' && start > 0 && text[start - 1] == '\r') continue;
        QTextCursor cursor(&doc);
        cursor.setPosition(song.RTB_Raw.To_Qt(start));
        const QString typed = Random_Text(random, false);
        for (int i = 0; i < typed.size(); ++i) {
          cursor.insertText(typed.mid(i, 1));
          model.Edit(start + i, 0, 1);
        }
        name += " typed " + std::to_string(start) + " " + typed.toStdString();
      }
      switch (kind) {
        case 0: break;
        case 1: added = Random_Text(random, false); break;                 // typing
        case 2: added = Random_Text(random, true); break;                  // paste with breaks
        case 3: removed = 1; break;                                        // Delete
        case 4: removed = 1 + static_cast<int>(random() % 30); break;      // across fields/lines
        default: removed = 1 + static_cast<int>(random() % 5);             // overtype
                 added = Random_Text(random, false);
      }
      removed = std::min(removed, length - start);
      if (start + removed < length && text[start + removed] == '\n') ++removed;
      if (kind != 0) {
        if (removed == 0 && added.isEmpty()) continue;
        if (removed == length) continue;  // emptying has its own test
        Replace(song, start, removed, added);
        model.Edit(start, removed, static_cast<int>(added.size()));
        name += " edit " + std::to_string(start) + "-" + std::to_string(removed) + "+" +
                added.toStdString();
      }
      model.Check(song, name);
      if (::testing::Test::HasFatalFailure()) return;
      const int undo_count = doc.availableUndoSteps();
      std::erase_if(states, [&](const auto& s) { return s.first >= undo_count; });
      states.emplace(undo_count, std::make_pair(model, fields_now()));
    }
    while (doc.isUndoAvailable()) doc.undo();
    EXPECT_EQ(song.Field_Count, original_count);
    EXPECT_EQ(song.Fields, original) << "seed " << seed;
  }
}

}  // namespace
}  // namespace lyricanvas
