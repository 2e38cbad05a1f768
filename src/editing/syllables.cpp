#include "editing/syllables.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "model/layout.h"

namespace lyricanvas {

const char* const Field_Table_Full_Message =
    "The song already has 5000 fields, as many as it can hold. The remaining syllables "
    "get no field.";

namespace {

enum class Rules { German, English };

bool Is_Blank(QChar c) { return c == QChar(' ') || c == QChar('\r') || c == QChar('\n'); }

bool Is_Word_Char(QChar c) {
  char16_t u = c.unicode();
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

// Bullet, "<", ">", feminine ordinal, section sign, diaeresis and copyright sign.
bool Is_Lead_Symbol(QChar c) {
  switch (c.unicode()) {
    case u'\u2022': case u'<': case u'>': case u'\u00AA': case u'\u00A7': case u'\u00A8':
    case u'\u00A9':
      return true;
    default:
      return false;
  }
}

// c is upper case.
bool Is_Vowel(QChar c, Rules rules) {
  switch (c.unicode()) {
    case u'A': case u'E': case u'I': case u'O': case u'U': case u'Y':
      return true;
    case u'\u00C4': case u'\u00D6': case u'\u00DC':
      return rules == Rules::German;
    default:
      return false;
  }
}

bool One_Of(QChar c, const char* letters) {
  for (const char* p = letters; *p; ++p)
    if (c == QChar(*p)) return true;
  return false;
}

// Upper case letter by letter, so that the word keeps its length (no "SS" for sharp s).
QString Upper(const QString& word) {
  QString upper = word;
  for (QChar& c : upper) c = c.toUpper();
  return upper;
}

struct Vowel_Group {
  int start = 0;  // 0-based in the word
  int end = 0;    // last vowel
  bool by_rule = false;  // ended by a hiatus or ending rule, so the next group follows at once
};

// German hiatus pairs and vowel triples that end a group at its first vowel.
bool German_Group_Break(const QString& w, int i) {
  const int n = w.size();
  if (i + 1 < n) {
    QString pair = w.mid(i, 2);
    if (pair == "AO" || pair == "IA" || pair == "OA" || pair == "IO") return true;
  }
  if (i == 0 || i == n - 1) return false;
  static const QStringList triples = {"AIE", "AUA", "AUE", "EIA", "EIE",
                                      "EIO", "EIU", "EUE", "OIE", QStringLiteral("\u00C4UE")};
  return triples.contains(w.mid(i, 3));
}

// English I followed by A, not too near the end: the I closes its syllable.
bool English_I_A(const QString& w, int i) {
  return w[i] == QChar('I') && i <= w.size() - 3 && w[i + 1] == QChar('A');
}

std::vector<Vowel_Group> Vowel_Groups(const QString& w, Rules rules, int ending_split) {
  std::vector<Vowel_Group> groups;
  const int n = w.size();
  for (int i = 0; i < n;) {
    if (!Is_Vowel(w[i], rules)) {
      ++i;
      continue;
    }
    Vowel_Group g{i, i, false};
    while (true) {
      if (rules == Rules::German && g.end == g.start && German_Group_Break(w, g.start)) {
        g.by_rule = true;
        break;
      }
      if (rules == Rules::English && English_I_A(w, g.end)) {
        g.by_rule = true;
        break;
      }
      if (g.end + 1 >= n || !Is_Vowel(w[g.end + 1], rules)) break;
      ++g.end;
      if (rules == Rules::English && g.end == ending_split) {
        g.by_rule = true;
        break;
      }
    }
    groups.push_back(g);
    i = g.end + 1;
  }
  return groups;
}

// Whether the E that ends a later English vowel group at k is silent (joins the syllable before).
bool Silent_E(const QString& w, int k) {
  const int n = w.size();
  const QChar none;
  const QChar prev = k >= 1 ? w[k - 1] : none;
  const QChar next = k + 1 < n ? w[k + 1] : none;
  const QChar two_before = k >= 2 ? w[k - 2] : none;
  bool silent = false;
  if (k >= 2 && (Is_Vowel(two_before, Rules::English) || two_before == QChar('\''))) {
    if (k == n - 1 || next == QChar('\'')) silent = true;
    else if (k + 3 == n && (w.mid(k + 1) == "LY" || w.mid(k + 1) == "TY")) silent = true;
    else if (k == 3 && (w.startsWith("SOME") || w.startsWith("FORE"))) silent = true;
    if (next == QChar('R')) silent = false;
    if (k >= 3 && One_Of(w[k - 3], "EAIOU")) silent = false;
  }
  if ((One_Of(prev, "PKBMSVR") && next == QChar('D')) ||
      (next == QChar('D') && w.endsWith("LLED")) || (prev == QChar('G') && next == QChar('W')))
    silent = true;
  if (prev == QChar('T')) silent = !One_Of(next, "RDN");
  if (two_before != QChar('E') && One_Of(prev, "VMNGCRTH")) silent = !One_Of(next, "RN");
  return silent;
}

// Indexes (0-based, in the analysed word) of the last letter of every closed syllable.
std::vector<int> Syllable_Cuts(const QString& w, const QString& whole, Rules rules) {
  const int n = w.size();
  // The vowel before an "ing" or "in'" ending, where a longer vowel group is split.
  int ending_split = -1;
  if (w.endsWith("ING")) ending_split = n - 4;
  else if (w.endsWith("IN") && whole.size() > n && whole[n] == QChar('\'')) ending_split = n - 3;

  std::vector<Vowel_Group> groups = Vowel_Groups(w, rules, ending_split);
  std::vector<int> cuts;
  for (std::size_t g = 1; g < groups.size(); ++g) {
    const Vowel_Group& group = groups[g];
    if (rules == Rules::English && w[group.end] == QChar('E') && Silent_E(w, group.end)) continue;
    const Vowel_Group& before = groups[g - 1];
    bool at_once = before.by_rule && group.start == before.end + 1;
    cuts.push_back(at_once ? group.start - 1 : group.start - 2);
  }
  if (rules == Rules::English) {
    // didn't, couldn't: "n't" is a syllable of its own after a consonant.
    for (int k = 1; k + 1 < n; ++k)
      if (w[k] == QChar('\'') && w[k - 1] == QChar('N') && w[k + 1] == QChar('T') &&
          (k < 2 || !One_Of(w[k - 2], "EAIOUY")))
        cuts.push_back(k - 2);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  std::erase_if(cuts, [n](int c) { return c < 0 || c >= n - 1; });
  return cuts;
}

bool Is_Spelled(const QString& word, const QString& upper, Rules rules) {
  if (word.size() < 2 || word != upper) return false;
  return std::none_of(upper.begin(), upper.end(), [rules](QChar c) { return Is_Vowel(c, rules); });
}

bool Field_Free(const Song& song, const QString& text, int position) {
  if (position < 1 || position > text.size() || Is_Picture_Char(text[position - 1])) return false;
  return Field_At_Char(song, position) == 0;
}

bool Add_Field(Song& song, int first, int last) {
  if (song.Field_Count >= Max_Fields) return false;
  Field_Rec& field = song.Fields[++song.Field_Count];
  field = Field_Rec{static_cast<std::int16_t>(first), static_cast<std::int16_t>(last), {}};
  if (song.Char_Field.size() <= static_cast<std::size_t>(last))
    song.Char_Field.resize(static_cast<std::size_t>(last) + 101, 0);
  for (int p = first; p <= last; ++p)
    song.Char_Field[static_cast<std::size_t>(p)] = static_cast<std::int16_t>(song.Field_Count);
  return true;
}

bool Break_Word(Song& song, const QString& text, int& scan, Rules rules) {
  const int length = text.size();
  int p = scan;  // 1-based
  while (p <= length && Is_Blank(text[p - 1])) ++p;
  if (p > length) {
    scan = 0;
    return true;
  }
  int end = p;  // 1-based position after the word
  while (end <= length && !Is_Blank(text[end - 1])) ++end;
  scan = end > length ? 0 : end;
  const int last = end - 1;  // the word's last character, punctuation included

  int start = p;
  while (start <= last && Is_Lead_Symbol(text[start - 1])) {
    if (!Make_Field(song, start - 1, start)) return false;
    ++start;
  }
  if (start > last) return true;

  const QString whole = text.mid(start - 1, last - start + 1);
  int kept = whole.size();
  while (kept > 0 && !Is_Word_Char(whole[kept - 1])) --kept;
  const QString word = kept > 0 ? whole.left(kept) : whole;
  const QString upper = Upper(word);

  std::vector<int> cuts;
  if (Is_Spelled(word, upper, rules)) {
    for (int i = 0; i + 1 < word.size(); ++i) cuts.push_back(i);
  } else {
    cuts = Syllable_Cuts(upper, Upper(whole), rules);
  }
  int syllable_start = start - 1;  // offset
  for (int cut : cuts) {
    if (!Make_Field(song, syllable_start, start + cut)) return false;
    syllable_start = start + cut;
  }
  return Make_Field(song, syllable_start, last);
}

bool Has_Umlaut_U(const QString& text) {
  return text.contains(QChar(u'\u00DC')) || text.contains(QChar(u'\u00FC'));
}

}  // namespace

bool Make_Field(Song& song, int start_offset, int end_offset) {
  const QString text = song.RTB_Raw.Text();
  int first = start_offset + 1;
  const int last = std::min<int>(end_offset, text.size());
  while (first <= last) {
    while (first <= last && !Field_Free(song, text, first)) ++first;
    if (first > last) break;
    int run_end = first;
    while (run_end < last && Field_Free(song, text, run_end + 1)) ++run_end;
    if (!Add_Field(song, first, run_end)) return false;
    first = run_end + 1;
  }
  return true;
}

bool Break_Word_German(Song& song, const QString& text, int& scan) {
  return Break_Word(song, text, scan, Rules::German);
}

bool Break_Word_English(Song& song, const QString& text, int& scan) {
  return Break_Word(song, text, scan, Rules::English);
}

int Break_Syllables(Song& song, const Ui& ui) {
  const QString text = song.RTB_Raw.Text();
  Fill_Char_Field(song, text.size());
  const int before = song.Field_Count;
  auto next_word = Has_Umlaut_U(text) ? Break_Word_German : Break_Word_English;
  int scan = 1;
  while (scan > 0) {
    if (!next_word(song, text, scan)) {
      Show_Message(ui, Field_Table_Full_Message);
      break;
    }
  }
  return song.Field_Count - before;
}

int Syllable_Count(const Song& song) {
  auto scratch = std::make_unique<Song>();
  scratch->RTB_Raw.Set_Text(song.RTB_Raw.Text());
  scratch->Field_Count = 0;
  Ui quiet;
  return Break_Syllables(*scratch, quiet);
}

}  // namespace lyricanvas
