#include "editing/paste.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "editing/text_tracking.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Recording_Ui;

struct Pasting_Song {
  Song song;
  Edit_Tracker tracker;
  Recording_Ui recorder;
  std::vector<int> picture_positions;
  Pasting_Song() {
    testing::Build_Song(song, {{{{"won", 1, 2}, {"der", 2, 3}, {"ful", 3, 4}}}});
    Track_Edits(song, tracker);
  }
  Paste_Analysis Paste_At(int start, int length, const QMimeData& data) {
    song.RTB_Raw.Select(start, length);
    return Paste(song, data, recorder.ui(), [this](int p) { picture_positions.push_back(p); });
  }
};

// Clipboard data: plain text, or HTML with a plain-text fallback.
std::unique_ptr<QMimeData> Mime(const char* text, const char* html = nullptr) {
  auto data = std::make_unique<QMimeData>();
  if (html) data->setHtml(QString::fromUtf8(html));
  data->setText(QString::fromUtf8(text));
  return data;
}

std::unique_ptr<QMimeData> Image() {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(qRgb(200, 10, 10));
  auto data = std::make_unique<QMimeData>();
  data->setImageData(image);
  return data;
}

TEST(AnalyzePaste, MeasuresTextAndPicturesAndLeavesTheScratchBoxEmpty) {
  struct Case {
    const char* text;  ///< nullptr: an image
    const char* html;
    Paste_Analysis analysis;
  };
  const Case cases[] = {
      {"ab\ncd", nullptr, {6, 0, 0}},
      {"fallback", "<p>one</p><p style='color:red'>two</p>", {8, 0, 0}},
      {"fallback", "<b>x</b><img src='http://example.invalid/a.png'>y", {2, 0, 0}},
      {nullptr, nullptr, {1, 1, 0}},
      {"a\x01\x02\uFFFC"
       "b",
       nullptr,
       {2, 0, 0}},  // control and object characters are left out
  };
  for (const Case& c : cases) {
    Song song;
    Paste_Analysis analysis;
    const std::unique_ptr<QMimeData> data = c.text ? Mime(c.text, c.html) : Image();
    EXPECT_EQ(Analyze_Paste(song, *data, analysis), std::to_string(c.analysis.Pasted_Length) + ";");
    EXPECT_EQ(analysis, c.analysis) << c.text;
    EXPECT_EQ(song.RTB_Shadow.Length(), 0);
  }
}

TEST(Paste, ForeignRichTextArrivesAsTextAndKeepsTheFields) {
  Pasting_Song t;
  const auto fields = t.song.Fields;
  t.Paste_At(3, 0,
             *Mime("fallback",
                   "<html><body><p><span style='font-size:30pt'>AB</span></p>"
                   "<p>C<img src='file:///nowhere.png'></p></body></html>"));
  EXPECT_EQ(t.song.RTB_Raw.Text(), "wonAB\r\nCderful");
  EXPECT_EQ(t.song.RTB_Raw.Picture_Count(), 0);
  EXPECT_EQ(t.song.RTB_Raw.Font(3, 2).Font_Size, 20);  // the format where it lands
  EXPECT_EQ(t.song.Fields[2].First_Char, 9);
  EXPECT_EQ(t.song.Fields[3].Last_Char, 14);
  t.song.RTB_Raw.Qt().undo();
  EXPECT_EQ(t.song.Fields, fields);
}

TEST(Paste, OnePictureAsksToStoreItInTheProjectAndGetsAField) {
  Pasting_Song t;
  Paste_Analysis analysis = t.Paste_At(3, 3, *Image());  // over "der"
  EXPECT_EQ(analysis.Pasted_Picture_Count, 1);
  EXPECT_EQ(t.song.RTB_Raw.Text(), QString("won") + QChar(0xFFFC) + "ful");
  EXPECT_EQ(t.song.Window_Controls.Check("Chk_Store_Pictures"), 2);
  EXPECT_FALSE(t.song.Window_Controls.Find("Chk_Store_Pictures")->Enabled);
  EXPECT_EQ(t.picture_positions, std::vector<int>{4});
  EXPECT_TRUE(Is_Empty(t.song.Fields[2]));
  EXPECT_EQ(t.song.Fields[1].Last_Char, 3);  // the picture did not join "won"
  ASSERT_NE(t.song.RTB_Raw.Picture(0), nullptr);
  EXPECT_EQ(t.song.RTB_Raw.Picture(0)->Bytes.substr(0, 2), "BM");
  EXPECT_TRUE(t.recorder.messages.empty());
}

TEST(Paste, OwnCopiesCarryTheirPicturesAndSeveralAreAnnounced) {
  Pasting_Song t;
  t.Paste_At(3, 0, *Image());
  t.Paste_At(7, 0, *Image());  // "won#der#ful"
  t.song.RTB_Raw.Select(2, 7);
  std::unique_ptr<QMimeData> copy(Selection_Mime_Data(t.song));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->text(), "nderf");
  t.picture_positions.clear();
  Paste_Analysis analysis = t.Paste_At(t.song.RTB_Raw.Length(), 0, *copy);
  EXPECT_EQ(analysis, (Paste_Analysis{7, 2, 1}));
  EXPECT_EQ(t.song.RTB_Raw.Picture_Count(), 4);
  EXPECT_EQ(t.recorder.messages, std::vector<std::string>{Multiple_Pictures_Message});
  EXPECT_TRUE(t.picture_positions.empty());
}

}  // namespace
}  // namespace lyricanvas
