#include "editing/paste.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "editing/editing_song.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

struct Pasting_Song : testing::Tracked_Song {
  testing::Recording_Ui recorder;
  std::vector<int> picture_positions;
  Paste_Analysis Paste_At(int start, int length, const QMimeData& data) {
    song.RTB_Raw.Select(start, length);
    return Paste(song, data, recorder.ui(), [this](int p) { picture_positions.push_back(p); });
  }
};

// Clipboard data: plain text, HTML with a plain-text fallback, or without text an image.
std::unique_ptr<QMimeData> Mime(const char* text, const char* html = nullptr) {
  auto data = std::make_unique<QMimeData>();
  if (html) data->setHtml(QString::fromUtf8(html));
  if (text) data->setText(QString::fromUtf8(text));
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(qRgb(200, 10, 10));
  if (!text) data->setImageData(image);
  return data;
}

TEST(Paste, ForeignDataArrivesAsPlainTextOrAPictureAndTheFieldsFollow) {
  struct Case {
    int start, length;
    const char* text;  ///< nullptr: an image
    const char* html;
    const char* line;    ///< the first line after the paste, # for a picture
    const char* fields;  ///< after the paste: text joins the field before it
  };
  const Case cases[] = {
      {3, 0, "ab\ncd", nullptr, "wonab\r\ncdderful time", "wonab\r\ncd|der|ful|time|day"},
      {3, 0, "a\x01\x02\uFFFCb", nullptr, "wonabderful time", "wonab|der|ful|time|day"},
      {3, 0, "fallback",
       "<p><span style='font-size:30pt'>AB</span></p>"
       "<p style='color:red'>C<img src='http://example.invalid/a.png'></p>",
       "wonAB\r\nCderful time", "wonAB\r\nC|der|ful|time|day"},
      {3, 3, nullptr, nullptr, "won#ful time", "won|(cleared)|ful|time|day"},  // over "der"
  };
  for (const Case& c : cases) {
    Pasting_Song t;
    const auto fields = t.song.Fields;
    t.Paste_At(c.start, c.length, *Mime(c.text, c.html));
    EXPECT_EQ(t.song.RTB_Raw.Text().replace(QChar(0xFFFC), '#'), QString(c.line) + "\r\nday");
    EXPECT_EQ(testing::Field_Texts(t.song), c.fields) << c.line;
    EXPECT_EQ(t.song.RTB_Raw.Font(3, 1).Font_Size, 20) << c.line;  // the format where it lands
    t.song.RTB_Raw.Qt().undo();
    EXPECT_EQ(t.song.Fields, fields) << c.line;
  }
}

TEST(Paste, APictureIsStoredInTheProjectAndOwnCopiesCarryTheirPictures) {
  Pasting_Song t;
  EXPECT_EQ(t.Paste_At(3, 0, *Mime(nullptr)).Pasted_Picture_Count, 1);
  EXPECT_EQ(t.song.Window_Controls.Check("Chk_Store_Pictures"), 2);
  EXPECT_FALSE(t.song.Window_Controls.Find("Chk_Store_Pictures")->Enabled);
  ASSERT_NE(t.song.RTB_Raw.Picture(0), nullptr);
  EXPECT_EQ(t.song.RTB_Raw.Picture(0)->Bytes.substr(0, 2), "BM");
  t.Paste_At(7, 0, *Mime(nullptr));  // "won#der#ful"
  EXPECT_EQ(t.picture_positions, (std::vector<int>{4, 8}));
  EXPECT_TRUE(t.recorder.messages.empty());
  // A copy holding both pictures brings them along and is announced instead of stored.
  t.song.RTB_Raw.Select(2, 7);
  std::unique_ptr<QMimeData> copy(Selection_Mime_Data(t.song));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->text(), "nderf");
  t.picture_positions.clear();
  EXPECT_EQ(t.Paste_At(t.song.RTB_Raw.Length(), 0, *copy), (Paste_Analysis{7, 2, 1}));
  EXPECT_EQ(t.song.RTB_Raw.Picture_Count(), 4);
  EXPECT_EQ(t.recorder.messages, std::vector<std::string>{Multiple_Pictures_Message});
  EXPECT_TRUE(t.picture_positions.empty());
}

}  // namespace
}  // namespace lyricanvas
