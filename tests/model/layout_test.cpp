#include "model/layout.h"

#include <gtest/gtest.h>

#include "model/surface.h"

namespace lyricanvas {
namespace {

Font_Rec Default_Font(const Song& song) { return song.RTB_Raw.Default_Font(); }

int Width_Of(const Font_Rec& font, const QString& text) {
  int w = 0;
  for (QChar c : text) w += Char_Advance(font, c);
  return w;
}

// Letters exactly `width` pixels wide in the font: two letters repeated, then a narrow "i".
QString Text_Of_Width(const Font_Rec& font, int width) {
  const QString letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  width -= Char_Advance(font, 'i');
  for (QChar a : letters)
    for (QChar b : letters) {
      int wa = Char_Advance(font, a), wb = Char_Advance(font, b);
      for (int p = 0; p * wa <= width; ++p)
        if (wb > 0 && (width - p * wa) % wb == 0)
          return QString(p, a) + QString((width - p * wa) / wb, b) + "i";
    }
  return {};
}

TEST(LayoutAlignment, TheLineStartsWhereItsAlignmentAndOutlinePutIt) {
  struct Case {
    const char* style;
    Alignment alignment;
    int width;  ///< of the line's letters; wider than 286 widens the text box
    int x, end_x;
  };
  for (const Case& c : {Case{"Swipe text body only", Align_Center, 100, 93, 93 + 104},
                        {"Swipe text body only", Align_Left, 100, 2, 2 + 104},
                        {"Swipe text body only", Align_Right, 100, 286 - 104 + 2, 286 + 2},
                        {"Draw no outline", Align_Right, 100, 286 - 100 + 2, 286 + 2},
                        // Int((286 - 310) / 2) + 2: a line wider than the screen goes negative.
                        {"Draw no outline", Align_Center, 310, -10, -10 + 310},
                        // Its last letter would start past column 300, and is placed at 0.
                        {"Draw no outline", Align_Left, 310, 2, 2 + 310}}) {
    SCOPED_TRACE(std::string(c.style) + " " + std::to_string(c.alignment) + " " +
                 std::to_string(c.width));
    Song song;
    Apply_Wiping_Style(song, c.style);
    if (c.width > 286) song.RTB_Raw.Set_Text_Width(400);
    const QString line = Text_Of_Width(Default_Font(song), c.width);
    ASSERT_EQ(Width_Of(Default_Font(song), line), c.width);
    song.RTB_Raw.Set_Text("first\r\n" + line);
    song.RTB_Raw.Set_Alignment(7, 0, c.alignment);
    Layout_Text(song);
    EXPECT_EQ(Line_X(song, 1), 2) << "the first line keeps its own alignment";
    EXPECT_EQ(Line_X(song, 2), c.x);
    EXPECT_EQ(song.Char_X[7], c.x);
    EXPECT_EQ(song.Line_End_X[2], c.end_x);
    // Characters keep their measured distances after the shift.
    EXPECT_EQ(song.Char_X[8] - song.Char_X[7], Char_Advance(Default_Font(song), line[0]));
    const int last_x = c.x + c.width - Char_Advance(Default_Font(song), 'i');
    EXPECT_EQ(song.Char_X[6 + line.size()], last_x > Rightmost_Char_X ? 0 : last_x);
  }
}

TEST(LayoutLines, AParagraphWrapsAfterABlankAndRestartsAtTheLeftMargin) {
  Song song;
  QString words;
  while (Width_Of(Default_Font(song), words) < 450) words += "karaoke ";
  song.RTB_Raw.Set_Text("short\r\n" + words.trimmed() + "\r\n");  // the closing break adds no line
  Layout_Text(song);
  ASSERT_EQ(Line_Count(song), 3);
  const int third = song.Line_Start[2];
  EXPECT_EQ(song.RTB_Raw.Text()[third - 1], QChar(' '));
  EXPECT_EQ(song.Char_X[7], 2);
  EXPECT_EQ(song.Char_X[third], 2);
  EXPECT_EQ(song.Line_Start[3], song.RTB_Raw.Length() + 1);
  // The letters of the line fit the text width (the blank may hang past it).
  EXPECT_LE(song.Char_X[third - 1] - 2, Text_Width_Outline);
  EXPECT_EQ(Line_Text(song, 3), words.trimmed().mid(third - 7));
  EXPECT_EQ(song.RTB_Raw.Line_Index(6), 0);  // the line feed belongs to the first line
  EXPECT_EQ(song.RTB_Raw.Line_Index(7), 1);
  song.RTB_Raw.Set_Text_Width(2000);  // a wider box wraps less
  EXPECT_EQ(song.RTB_Raw.Line_Count(), 2);
}

TEST(LayoutStyles, TwoSingersInOneFontAreTwoStyles) {
  Song song;
  song.RTB_Raw.Set_Text("la la");
  song.RTB_Raw.Set_Color(3, 2, song.Singers[2].Text_Color);
  Layout_Text(song);
  ASSERT_EQ(song.Text_Styles.size(), 3u);  // [0] unused
  EXPECT_EQ(song.Char_Style[0], 1);
  EXPECT_EQ(song.Char_Style[3], 2);
  EXPECT_EQ(song.Char_Style[4], 2);
  song.RTB_Raw.Set_Bold(0, 1, true);
  Layout_Text(song);
  EXPECT_EQ(song.Text_Styles.size(), 4u);
  // A bold letter is wider or equal, and the positions follow the bold advance.
  Font_Rec bold = Default_Font(song);
  bold.Bold = true;
  EXPECT_EQ(song.Char_X[1] - song.Char_X[0], Char_Advance(bold, QChar('l')));
}

TEST(LayoutTables, CharFieldFollowsTheFieldsAndLaterFieldsWin) {
  Song song;
  song.RTB_Raw.Set_Text("abc def");
  song.Field_Count = 2;
  song.Fields[1] = {1, 3, Encode_Event(1, 0)};
  song.Fields[2] = {3, 5, Encode_Event(1, 0)};
  Layout_Text(song);
  ASSERT_EQ(song.Char_Field.size(), 7u + 101u);
  EXPECT_EQ(Field_At_Char(song, 1), 1);
  EXPECT_EQ(Field_At_Char(song, 3), 2);
  EXPECT_EQ(Field_At_Char(song, 6), 0);
  EXPECT_EQ(Next_Field(song, 1), 2);
}

TEST(LayoutTables, CapacitiesAreNeverPassed) {
  Song song;
  QString text;
  for (int i = 0; i < 700; ++i) text += "ab\r\n";  // 2800 offsets, 700 lines
  for (int i = 0; i < 60; ++i) text += QString(100, QChar('i')) + "\r\n";
  song.RTB_Raw.Set_Text(text);
  EXPECT_NO_FATAL_FAILURE(Layout_Text(song));
  EXPECT_GT(song.RTB_Raw.Length(), Max_Char_X + 1);
  EXPECT_EQ(song.Line_Start[499], 499 * 4);
  EXPECT_EQ(song.Line_Start[500], 500 * 4);  // closes line 500
  EXPECT_EQ(song.Line_End_X[500], 2 + Width_Of(Default_Font(song), "ab") + 4);
}

TEST(EdgeOffset, WidensAtWordBoundariesOnly) {
  // Before the text, inside a word, before and at a blank, before and at CR, LF, at the end.
  for (auto [at, offset] :
       {std::pair{0, -4}, {1, 0}, {2, 4}, {3, -4}, {5, 4}, {6, -4}, {7, -4}, {9, 4}})
    EXPECT_EQ(Edge_Offset("ab cd\r\nef", 4, at), offset) << at;
  EXPECT_EQ(Edge_Offset(QString("a") + QChar(Picture_Char), 4, 1), 4);
  Song song;
  song.RTB_Raw.Set_Text("ab cd\r\nef");
  EXPECT_EQ(Edge_Offset(song, 2), song.Wipe_Margin);
}

TEST(MissingAppearance, LayoutListsPicturesWithoutAnEffectInWordsForTheirNumber) {
  EXPECT_EQ(Missing_Appearance_Warning({}), "");
  EXPECT_EQ(Missing_Appearance_Warning({2}),
            "Picture 2 has no appearance information attached! This picture will not appear in "
            "your file!");
  EXPECT_EQ(Missing_Appearance_Warning({1, 3, 4}),
            "Pictures 1, 3 and 4 have no appearance information attached! These pictures will "
            "not appear in your file!");
  // Layout lists the pictures without an appearance effect.
  Song song;
  song.RTB_Raw.Set_Text("a b c");
  song.RTB_Raw.Insert_Picture(5, Embedded_Picture{"BM", "three.bmp"});
  song.RTB_Raw.Insert_Picture(3, Embedded_Picture{"BM", "two.bmp"});
  song.RTB_Raw.Insert_Picture(1, Embedded_Picture{"BM", "one.bmp"});
  // Picture 1 has an effect, picture 2 only a file name, picture 3 no field at all.
  const std::string mark(1, Picture_Record_Mark);
  song.Field_Count = 2;
  song.Fields[1] = {2, 2, mark + "<Appearance_effect=Circle out><filename=one.bmp>"};
  song.Fields[2] = {5, 5, mark + "<filename=two.bmp>"};
  EXPECT_EQ(Layout_Text(song), Missing_Appearance_Warning({2, 3}));
  // Pictures take no room on the line.
  EXPECT_EQ(song.Char_X[1], song.Char_X[2]);
}

}  // namespace
}  // namespace lyricanvas
