#include "editing/syllables.h"

#include <gtest/gtest.h>

#include "editing/field_texts.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Field_Texts;
using testing::Recording_Ui;

std::string Broken(const QString& text) {
  Song song;
  song.RTB_Raw.Set_Text(text);
  song.Field_Count = 0;
  Recording_Ui recorder;
  Break_Syllables(song, recorder.ui());
  return Field_Texts(song);
}

struct Word_Case {
  const char* word;
  const char* expected;
};

// Worked out by hand from the rules: one consonant moves to the next syllable, so clusters
// split where no dictionary would split them (somet-hing, sin-ging). No field covers a blank or
// a line break.
const Word_Case English_Words[] = {
    {"wonderful", "won|der|ful"},
    {"singing", "sin|ging"},
    {"something", "somet|hing"},
    {"seeing", "see|ing"},
    {"going", "going"},
    {"didn't", "did|n't"},
    {"couldn't", "could|n't"},
    {"don't", "don't"},
    {"dial", "di|al"},
    {"giant", "gi|ant"},
    {"via", "via"},
    {"make", "make"},
    {"lovely", "love|ly"},
    {"safety", "safe|ty"},
    {"forecast", "fore|cast"},
    {"over", "o|ver"},
    {"lover", "lo|ver"},
    {"water", "wa|ter"},
    {"notes", "notes"},
    {"times", "times"},
    {"have", "have"},
    {"stopped", "stopped"},
    {"called", "called"},
    {"wanted", "wanted"},
    {"greeted", "gree|ted"},
    {"create", "create"},  // the T before the final E silences it after all
    {"Radio", "Ra|dio"},
    {"BBC", "B|B|C"},
    {"NASA", "NA|SA"},
    {"hello!", "hel|lo!"},
    {"wonderful,", "won|der|ful,"},
    {"<love", "<|love"},
    {"\u2022sing", "\u2022|sing"},
    {"...", ".|.|."},
    {"la\uFFFCla", "la|la"},  // a picture never gets a syllable field
    {"  Over the  rainbow\r\n\r\nway up high \r\n", "O|ver|the|rain|bow|way|up|high"},
};

const Word_Case German_Words[] = {
    {"Kinder", "Kin|der"},
    {"Wasser", "Was|ser"},
    {"Radio", "Ra|di|o"},
    {"M\u00e4dchen", "M\u00e4dc|hen"},
    {"\u00fcberall", "\u00fc|be|rall"},
    {"Trauer", "Tra|uer"},
    {"Familie", "Fa|mi|lie"},
    {"Oase", "O|a|se"},
    {"sch\u00f6nes", "sch\u00f6|nes"},
    {"seeing", "seeing"},  // no "ing" rule in German
    {"dial", "di|al"},
};

TEST(BreakSyllables, EnglishWords) {
  for (const Word_Case& c : English_Words)
    EXPECT_EQ(Broken(QString::fromUtf8(c.word)), c.expected) << c.word;
}

TEST(BreakSyllables, GermanWordsWhenTheTextHasAnUmlautU) {
  for (const char* u : {"\u00fc", "\u00dc"})
    for (const Word_Case& c : German_Words) {
      QString text = QString::fromUtf8(c.word) + " " + QString::fromUtf8(u);
      EXPECT_EQ(Broken(text), std::string(c.expected) + "|" + u) << c.word << " with " << u;
    }
}

TEST(BreakSyllables, ExistingFieldsAreKeptAndOnlyGapsGetFields) {
  Song song;
  song.RTB_Raw.Set_Text("wonderful day");
  const std::string timed = Encode_Event(1, 300);
  song.Field_Count = 3;
  song.Fields[1] = {11, 13, timed};  // "day"
  song.Fields[2] = {1, 2, timed};    // "wo"
  song.Fields[3] = {5, 5, timed};    // the "e" inside "der"
  const auto before = song.Fields;
  Recording_Ui recorder;
  Break_Syllables(song, recorder.ui());
  for (int f = 1; f <= 3; ++f) EXPECT_EQ(song.Fields[f], before[f]) << f;
  EXPECT_EQ(Field_Texts(song), "day|wo|e|n|d|r|ful");
  for (int f = 4; f <= song.Field_Count; ++f) EXPECT_TRUE(song.Fields[f].Events.empty());
  // A second run finds nothing left to cover.
  EXPECT_EQ(Break_Syllables(song, recorder.ui()), 0);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(BreakSyllables, AFullFieldTableStopsWithOneMessage) {
  Song song;
  song.RTB_Raw.Set_Text("one two three four");
  song.Field_Count = Max_Fields - 2;
  Recording_Ui recorder;
  EXPECT_EQ(Break_Syllables(song, recorder.ui()), 2);
  EXPECT_EQ(song.Field_Count, Max_Fields);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0], Field_Table_Full_Message);
}

}  // namespace
}  // namespace lyricanvas
