#include "editing/syllables.h"

#include <gtest/gtest.h>

#include "editing/editing_song.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Field_Texts;
using testing::Recording_Ui;

std::string Broken(const QString& text) {
  Song song;
  song.RTB_Raw.Set_Text(text);
  Recording_Ui recorder;
  Break_Syllables(song, recorder.ui());
  return Field_Texts(song);
}

/// A word split as expected: the word is the row without its bars.
QString Word(const char* split) { return QString::fromUtf8(split).remove('|'); }

// Worked out by hand from the rules: one consonant moves to the next syllable, so clusters
// split where no dictionary would split them (somet-hing, sin-ging), and the T before the final E
// keeps "create" whole.
const char* const English_Words[] = {
    "won|der|ful", "sin|ging", "somet|hing",   "see|ing",  "going",       "did|n't", "could|n't",
    "don't",       "di|al",    "gi|ant",       "via",      "make",        "love|ly", "safe|ty",
    "fore|cast",   "o|ver",    "lo|ver",       "wa|ter",   "notes",       "times",   "have",
    "stopped",     "called",   "wanted",       "gree|ted", "create",      "Ra|dio",  "B|B|C",
    "NA|SA",       "hel|lo!",  "won|der|ful,", "<|love",   "\u2022|sing", ".|.|."};

// No "ing" rule in German.
const char* const German_Words[] = {"Kin|der",        "Was|ser", "Ra|di|o",   "M\u00e4dc|hen",
                                    "\u00fc|be|rall", "Tra|uer", "Fa|mi|lie", "O|a|se",
                                    "sch\u00f6|nes",  "seeing",  "di|al"};

TEST(BreakSyllables, EnglishWords) {
  for (const char* split : English_Words) EXPECT_EQ(Broken(Word(split)), split);
  // No field covers a blank, a line break or a picture.
  EXPECT_EQ(Broken("  Over the  rainbow\r\n\r\nway up high \r\n"),
            "O|ver|the|rain|bow|way|up|high");
  EXPECT_EQ(Broken("la\uFFFCla"), "la|la");
}

TEST(BreakSyllables, GermanWordsWhenTheTextHasAnUmlautU) {
  for (const char* u : {"\u00fc", "\u00dc"})
    for (const char* split : German_Words)
      EXPECT_EQ(Broken(Word(split) + " " + QString::fromUtf8(u)), std::string(split) + "|" + u)
          << u;
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
  EXPECT_EQ(recorder.messages, std::vector<std::string>{Field_Table_Full_Message});
}

}  // namespace
}  // namespace lyricanvas
