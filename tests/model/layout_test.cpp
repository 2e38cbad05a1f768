#include "model/layout.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <sstream>

#include "model/line_render.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

std::string Sha1(QByteArrayView bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().toStdString();
}

/// Lines in every alignment, a bold run, a second font, a large italic underlined Latin-1 word, a
/// second singer, a colour no singer has, a picture, a paragraph that wraps, one without blanks
/// and overlapping fields.
void Build_Approved_Song(Song& song) {
  song.RTB_Raw.Set_Default_Font(testing::Make_Font("Liberation Sans", 20));
  song.RTB_Raw.Set_Text(
      "Left and \u00d6l, gypsy\r\ncentred with one bold word\r\nright: male  unknown\r\n"
      "a long paragraph that wraps after a blank and restarts at the left margin, twice over "
      "in the narrow box and once in the wide one\r\n"
      "Centredparagraphwithoutanyblanks\r\n");
  const QString text = song.RTB_Raw.Text();
  const auto at = [&](const char* word) { return static_cast<int>(text.indexOf(word)); };
  song.RTB_Raw.Set_Alignment(at("centred"), 0, Align_Center);
  song.RTB_Raw.Set_Alignment(at("right"), 0, Align_Right);
  song.RTB_Raw.Set_Alignment(at("Centred"), 0, Align_Center);
  song.RTB_Raw.Set_Bold(at("bold"), 4, true);
  song.RTB_Raw.Set_Font_Name(at("word"), 4, "DejaVu Sans");
  song.RTB_Raw.Set_Font_Name(at("\u00d6l"), 9, "DejaVu Sans");
  song.RTB_Raw.Set_Font_Size(at("\u00d6l"), 9, 26);
  song.RTB_Raw.Set_Italic(at("\u00d6l"), 9, true);
  song.RTB_Raw.Set_Underline(at("\u00d6l"), 9, true);
  song.RTB_Raw.Set_Color(at("male"), 6, song.Singers[2].Text_Color);
  song.RTB_Raw.Set_Color(at("unknown"), 7, qRgb(1, 2, 3));
  song.RTB_Raw.Insert_Picture(at("and"), Embedded_Picture{"BM", "p.bmp"});
  song.Field_Count = 2;
  song.Fields[1] = {1, 8, Encode_Event(1, 0)};  // overlapped by the later field
  song.Fields[2] = {6, 14, Encode_Event(1, 0)};
}

// The layout tables and the rendered lines of one song in each wiping style and a wider text
// box, pinned by hashes. On a mismatch the new hashes are printed; with LYRICANVAS_GOLDEN_KEEP set
// the rendered lines are also saved there as PNG: look at them before approving the new hashes.
TEST(Layout, TablesAndRenderedLinesAreTheApprovedOnes) {
  struct Case {
    const char* style;
    int text_width;  ///< 0: the style's
    const char* tables;
    const char* picture;
  };
  for (const Case& c : {Case{"Swipe text body only", 0, "763591d0384073402ee533598837c56991257a3a",
                             "daa311b5799b4564c2a692106dfa6922193468f1"},
                        {"Draw no outline", 0, "a7f43da3772ae998c58ff30ac3e799bb31210943",
                         "f1099744380222bb642d51f035f89c3bca58e16c"},
                        {"Draw no outline", 400, "452ede2bec228653967fbdc7f5ba9d2abf9ea997",
                         "c1611034a8a21c180275385b6ec8cadb1966438f"}}) {
    const std::string name = c.style + std::to_string(c.text_width);
    Song song;
    Build_Approved_Song(song);
    Apply_Wiping_Style(song, c.style);
    if (c.text_width > 0) song.RTB_Raw.Set_Text_Width(c.text_width);
    std::ostringstream tables;
    tables << Layout_Text(song) << '\n';
    for (int i = 0; i <= song.RTB_Raw.Length() + 1; ++i)
      tables << song.Char_X[i] << ',' << song.Char_Style[i] << ',' << song.Char_Field[i] << ','
             << Edge_Offset(song, i) << ' ';
    for (int k = 0; k <= Line_Count(song) + 1; ++k)
      tables << song.Line_Start[k] << ',' << song.Line_End_X[k] << ' ';
    for (const Style_Rec& s : song.Text_Styles)
      tables << s.Font.Font_Name.toStdString() << s.Font.Font_Size << s.Font.Bold << s.Font.Italic
             << s.Font.Underline << s.Text_Color << s.Unwiped_Body << s.Unwiped_Outline
             << s.Wiped_Outline << s.Wiped_Body << ' ';
    EXPECT_EQ(Sha1(tables.str()), c.tables) << name << ":\n" << tables.str();
    // Outlines in a fixed colour, bodies in the singers' wiped colours.
    Surface lines(300, 44 * Line_Count(song), qRgb(0, 0, 255));
    for (int k = 1; k <= Line_Count(song); ++k) {
      Render_Outline(song, Line_X(song, k), 44 * k - 40, lines, k, false, {qRgb(0, 0, 0)});
      Render_Body(song, Line_X(song, k), 44 * k - 40, lines, k, {std::nullopt, Role_Wiped_Body});
    }
    const QImage& image = lines.Image();
    EXPECT_EQ(Sha1({image.constBits(), image.sizeInBytes()}), c.picture) << name;
    if (const char* dir = std::getenv("LYRICANVAS_GOLDEN_KEEP"))
      image.save(QString("%1/%2.png").arg(dir, QString::fromStdString(name)));
  }
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
  const Font_Rec font = song.RTB_Raw.Default_Font();
  EXPECT_EQ(song.Line_End_X[500], 2 + Char_Advance(font, 'a') + Char_Advance(font, 'b') + 4);
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
}

}  // namespace
}  // namespace lyricanvas
