// The picture properties dialog: controls loaded from a picture's properties, what OK, Cancel
// and closing leave, the preview of an effect, and the editor opening the dialog for a picture.
#include "app/window/picture_properties_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "cdg/picture_effects.h"
#include "pictures/picture_source.h"
#include "pictures/properties.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

struct Picture_Dialog_Test : ::testing::Test {
  Fake_Dialogs fake;
  Dialogs dialogs = fake.dialogs();

  template <class T>
  static T* Find(QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
};

TEST_F(Picture_Dialog_Test, LoadsTheControlsAndOkWritesThemBack) {
  Picture_Properties_Dialog dialog("<Appearance_effect=Circle out><hold_time=4><reverse_effect=1>",
                                   "a.bmp", 2, dialogs);
  EXPECT_EQ(Find<QComboBox>(dialog, "Com_FadeInEffect")->currentText(), "Circle out");
  EXPECT_EQ(Find<QLineEdit>(dialog, "txt_HoldTime")->text(), "4");
  EXPECT_TRUE(Find<QCheckBox>(dialog, "Chk_Dither")->isChecked());  // absent: on
  EXPECT_TRUE(Find<QCheckBox>(dialog, "chk_Reverse_Effect")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(dialog, "Chk_along_lyrics")->isChecked());
  Find<QCheckBox>(dialog, "Chk_Overwrite")->setChecked(true);
  Find<QComboBox>(dialog, "Com_FadeInEffect")->setCurrentText("My own");
  Find<QPushButton>(dialog, "But_OK")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result(),
            "<Appearance_effect=My own><filename=a.bmp><along_with_lyrics=0><hold_time=4>"
            "<right_after_lyrics=0><overwrite_last_screen=1><dither_picture=1><reverse_effect=1>");
}

TEST_F(Picture_Dialog_Test, CancelKeepsANewPicturesFileAndClosingChangesNothing) {
  struct Case {
    std::string properties;
    bool cancel_button;
    std::string left;
  };
  for (const Case& c : std::vector<Case>{{"", true, "<filename=new.bmp>"},
                                         {"", false, ""},
                                         {"<hold_time=1>", true, "<hold_time=1>"}}) {
    Picture_Properties_Dialog dialog(c.properties, "new.bmp", 1, dialogs);
    Find<QCheckBox>(dialog, "Chk_Overwrite")->setChecked(true);
    if (c.cancel_button)
      Find<QPushButton>(dialog, "But_Cancel")->click();
    else
      dialog.reject();
    EXPECT_EQ(dialog.Result(), c.left) << c.properties << c.cancel_button;
  }
}

TEST_F(Picture_Dialog_Test, TestPlaysTheEffectFromTheMiddleOrSaysItCannot) {
  Picture_Properties_Dialog dialog("<Appearance_effect=Circle out><reverse_effect=1>", "a.bmp", 1,
                                   dialogs);
  Find<QPushButton>(dialog, "But_Test")->click();
  ASSERT_TRUE(dialog.Draw_Preview_Tiles(4));
  // The four middle tiles (rows 8-9, columns 24-25) first, never reversed in the preview.
  const QImage& preview = dialog.Preview();
  EXPECT_EQ(preview.pixel(4 * 24, 2 * 8), qRgb(0, 0, 0));
  EXPECT_EQ(preview.pixel(4 * 25 + 3, 2 * 9 + 1), qRgb(0, 0, 0));
  EXPECT_EQ(preview.pixel(4, 2), qRgb(255, 255, 255));
  EXPECT_FALSE(dialog.Draw_Preview_Tiles(Tile_Count));
  EXPECT_EQ(preview.pixel(4, 2), qRgb(0, 0, 0));
  EXPECT_TRUE(fake.messages.empty());
  Find<QComboBox>(dialog, "Com_FadeInEffect")->setCurrentText("Lightest to darkest");
  Find<QPushButton>(dialog, "But_Test")->click();
  ASSERT_EQ(fake.messages.size(), 1u);
  EXPECT_EQ(fake.messages[0], "Sorry, this effect can't be tested!");
}

TEST_F(Picture_Dialog_Test, DoubleClickOnAPictureInTheEditorStoresItsProperties) {
  Window_Context context;
  context.dialogs = dialogs;
  context.song.RTB_Raw.Set_Text("ab cd");
  Insert_Picture(context.song, 3, "BM", "p.bmp");
  QTextEdit editor;
  editor.setDocument(&context.song.RTB_Raw.Qt());
  editor.resize(300, 100);
  editor.show();
  Install_Picture_Editing(&editor, context);
  QTimer::singleShot(0, [] {
    auto* dialog = dynamic_cast<Picture_Properties_Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QComboBox*>("Com_FadeInEffect")->setCurrentText("Oval out");
    dialog->findChild<QPushButton*>("But_OK")->click();
  });
  QTextCursor cursor(&context.song.RTB_Raw.Qt());
  cursor.setPosition(context.song.RTB_Raw.To_Qt(3));
  const QPoint at = editor.cursorRect(cursor).center() + QPoint(2, 0);
  QTest::mouseDClick(editor.viewport(), Qt::LeftButton, {}, at);
  ASSERT_EQ(context.song.Field_Count, 1);
  EXPECT_EQ(context.song.Fields[1].First_Char, 4);
  EXPECT_EQ(Get_Appearance_Effect(std::string_view(context.song.Fields[1].Events).substr(1)),
            "Oval out");
}

}  // namespace
}  // namespace lyricanvas::testing
