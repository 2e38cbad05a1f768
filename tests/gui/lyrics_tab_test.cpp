// The lyrics and timing tabs driven by keys, mouse and menus: edits, pastes, pictures and
// formats act on the song; the timing keys time its syllables.
#include "app/window/lyrics_tab.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

#include "app/window/picture_properties_dialog.h"
#include "app/window/swiping_tab.h"
#include "cdg/picture_effects.h"
#include "editing/editing_song.h"
#include "model/layout.h"
#include "pictures/picture_source.h"
#include "pictures/properties.h"
#include "timing/timing_view.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

const std::string Picture_Field = QString(QChar(Picture_Char)).toStdString();

QImage Blue_Image() {
  QImage image(8, 6, QImage::Format_RGB32);
  image.fill(qRgb(0, 90, 200));
  image.setPixel(1, 1, qRgb(250, 10, 10));
  return image;
}

struct Lyrics_Tab_Test : Window_Test {
  std::unique_ptr<Window_Under_Test> w = Open_Window();
  QTextEdit* editor = w->Editor();

  // "wonderful time" (singer 1) and "day" (singer 2): fields won, der, ful, time, day.
  void SetUp() override {
    song().Suppress_Text_Events = true;
    Build_Song(song(), {{{{"won", 1, 2}, {"der", 2, 3}, {"ful ", 3, 4}, {"time", 4, 5}}, 1},
                        {{{"day", 6, 7}}, 2}});
    song().Suppress_Text_Events = false;
    (*w)->context().project_replaced();
    w->Show_Tab(1);
    editor->setFocus();
  }
  Song& song() { return w->song(); }
  /// Selects in the song's offsets, where a line break counts two.
  void Select(int start, int length) {
    const Document& doc = song().RTB_Raw;
    testing::Select(editor, doc.To_Qt(start), doc.To_Qt(start + length));
  }
  std::string Field_Texts() { return testing::Field_Texts(song()); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(editor, key, modifiers);
  }
  QAction* Menu_Action(const char* name) {
    return (*w)->lyrics_tab()->Text_Menu()->findChild<QAction*>(name);
  }
};

TEST_F(Lyrics_Tab_Test, TypingDeletingAndUndoingKeepTheFieldsOnTheirCharacters) {
  const auto original = song().Fields;
  Select(3, 0);
  QTest::keyClicks(editor, "XY");
  EXPECT_EQ(Field_Texts(), "wonXY|der|ful|time|day");
  Select(14, 0);
  Key(Qt::Key_Return);
  Select(5, 3);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Field_Texts(), "wonXY|(cleared)|ful|ti\r\nme|day");
  QTest::keyClicks(editor, "der");  // retyped, not undone: the timing stays gone
  EXPECT_EQ(Field_Texts(), "wonXYder|(cleared)|ful|ti\r\nme|day");
  for (int k = 0; k < 6 && song().RTB_Raw.Qt().isUndoAvailable(); ++k)
    Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(song().RTB_Raw.Text(), "wonderful time\r\nday");
  EXPECT_EQ(song().Fields, original);
  Key(Qt::Key_Y, Qt::ControlModifier);  // the typed letters come back as one step
  EXPECT_EQ(Field_Texts(), "wonXY|der|ful|time|day");
}

TEST_F(Lyrics_Tab_Test, PastingFromElsewhereInsertsTheTextOrThePicture) {
  auto* data = new QMimeData;
  data->setHtml(
      "<p style='font-size:40pt;color:#ff0000'>Hey <img src='http://example.invalid/x.png'>"
      "you</p><p>there</p>");
  QGuiApplication::clipboard()->setMimeData(data);
  Select(10, 0);
  Key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(song().RTB_Raw.Text(), "wonderful Hey you\r\ntheretime\r\nday");
  EXPECT_EQ(Field_Texts(), "won|der|ful|time|day");
  EXPECT_EQ(song().RTB_Raw.Color(10, 3), song().Singers[1].Text_Color);
  // A pasted picture gets its field, and having no file it must be stored in the project.
  QGuiApplication::clipboard()->setImage(Blue_Image());
  Select(10, 0);
  Key(Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(song().RTB_Raw.Picture_Count(), 1);
  EXPECT_EQ(Field_Texts(), "won|der|ful|time|day|" + Picture_Field);
  EXPECT_EQ(song().Fields[6].Events, std::string(1, Picture_Record_Mark) + "<filename=>");
  auto* store = w->Find<QCheckBox>("Chk_Store_Pictures");
  EXPECT_EQ(store->checkState(), Qt::PartiallyChecked);
  EXPECT_FALSE(store->isEnabled());
}

// Answers the picture properties dialog once it shows: the effect, then OK.
void Answer_Properties_Dialog(const char* effect, bool* shown) {
  QTimer::singleShot(0, [effect, shown] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || dialog->objectName() != "frm_Picture_Properties") return;
    *shown = true;
    dialog->findChild<QComboBox*>("Com_FadeInEffect")->setCurrentText(effect);
    dialog->findChild<QPushButton*>("But_OK")->click();
  });
}

TEST_F(Lyrics_Tab_Test, AnInsertedPictureFileSitsAtTheCursorWithTheChosenAppearance) {
  QImage image = Blue_Image();
  const std::string bmp = Encode_Bmp24(image);
  Write_File(File("p.bmp"), bmp);
  ASSERT_TRUE(image.save(Q_File("p.png"), "PNG"));
  Write_File(File("notes.bmp"), "no picture here");
  for (auto [file, from_menu, inserted] :
       std::vector<std::tuple<const char*, bool, bool>>{{"p.bmp", false, true},
                                                        {"p.png", true, true},
                                                        {"notes.bmp", false, false},
                                                        {"missing.png", true, false},
                                                        {"", false, false}}) {
    SetUp();
    const auto fields = song().Fields;
    w->fake.messages.clear();
    const std::string path = *file ? File(file) : std::string();
    w->fake.files.push_back(path);
    Select(10, 0);
    bool shown = false;
    Answer_Properties_Dialog("Oval out", &shown);
    if (from_menu)
      Menu_Action("Men_RTB_Raw_Insert_Picture")->trigger();
    else
      w->Click("But_Picture");
    ASSERT_FALSE(w->fake.file_requests.empty());
    EXPECT_NE(w->fake.file_requests.back().filter.find("*.png"), std::string::npos);
    EXPECT_EQ(shown, inserted) << file;
    EXPECT_EQ(w->fake.messages.size(), *file && !inserted ? 1u : 0u) << file;
    if (!inserted) {
      EXPECT_EQ(song().RTB_Raw.Picture_Count(), 0) << file;
      EXPECT_EQ(song().Fields, fields) << file;
      continue;
    }
    ASSERT_EQ(song().RTB_Raw.Picture_Count(), 1) << file;
    EXPECT_TRUE(song().RTB_Raw.Is_Picture(10));
    EXPECT_EQ(Field_Texts(), "won|der|ful|time|day|" + Picture_Field);
    const std::string properties = song().Fields[6].Events.substr(1);
    EXPECT_EQ(Get_Appearance_Effect(properties), "Oval out");
    EXPECT_EQ(Get_Property(properties, "filename"), path);
    // PNG arrives as the same 24-bit BMP; a picture with a file need not be stored.
    EXPECT_EQ(Extract_Embedded_Picture(song(), 6), bmp) << file;
    EXPECT_TRUE(w->Find("Chk_Store_Pictures")->isEnabled());
    // A double-click on the picture opens its properties again.
    Answer_Properties_Dialog("Circle out", &shown);
    QTextCursor cursor(editor->document());
    cursor.setPosition(song().RTB_Raw.To_Qt(10));
    QTest::mouseDClick(editor->viewport(), Qt::LeftButton, {},
                       editor->cursorRect(cursor).center() + QPoint(2, 0));
    EXPECT_EQ(Get_Appearance_Effect(song().Fields[6].Events.substr(1)), "Circle out");
  }
}

TEST_F(Lyrics_Tab_Test, TheFormatControlsActOnTheSelectionAndShowIt) {
  const auto fields = song().Fields;
  Select(3, 3);
  auto* singer = w->Find<QComboBox>("Com_Color");
  singer->setCurrentIndex(2);
  emit singer->activated(2);
  EXPECT_EQ(song().RTB_Raw.Color(3, 3), song().Singers[2].Text_Color);
  EXPECT_EQ(song().RTB_Raw.Color(0, 3), song().Singers[1].Text_Color);

  auto* bold = w->Find<QCheckBox>("Chk_Bold");
  Select(0, 2);
  QTest::mouseClick(bold, Qt::LeftButton);
  EXPECT_TRUE(song().RTB_Raw.Font(0, 2).Bold);
  EXPECT_FALSE(song().RTB_Raw.Font(2, 1).Bold);
  Select(0, 3);  // half bold, one singer
  EXPECT_EQ(bold->checkState(), Qt::PartiallyChecked);
  QTest::mouseClick(bold, Qt::LeftButton);  // a grayed box decides for the whole selection
  EXPECT_TRUE(song().RTB_Raw.Font(0, 3).Bold);
  Select(0, 6);  // two singers: the controls stay as they were
  EXPECT_EQ(singer->currentText(), "1 - solo / both");
  EXPECT_EQ(bold->checkState(), Qt::Checked);

  Select(17, 0);
  EXPECT_EQ(singer->currentText(), "2 - male");
  w->Click("But_Centered");
  EXPECT_EQ(song().RTB_Raw.Alignment(16, 3), Align_Center);
  EXPECT_EQ(song().RTB_Raw.Alignment(0, 14), Align_Left);
  EXPECT_EQ(song().Fields, fields);
}

TEST_F(Lyrics_Tab_Test, UnswipingClearsTheSelectedTimingAndTabModeCutsTheRestAgain) {
  song().Window_Controls.Set_Check("Chk_Tabmode", 1);
  Select(3, 3);
  w->Click("But_Unwiped");
  EXPECT_EQ(Field_Texts(), "won|(cleared)|ful|time|day");
  auto* tab_mode = w->Find<QCheckBox>("Chk_Tabmode");
  EXPECT_EQ(tab_mode->checkState(), Qt::Unchecked);
  w->Show_Tab(2);
  QTest::mouseClick(tab_mode, Qt::LeftButton);
  QCoreApplication::processEvents();  // the tab handles the click once the store has its value
  EXPECT_EQ(Field_Texts(), "won|(cleared)|ful|time|day|der");
  w->Show_Tab(1);
  Select(11, 2);
  Menu_Action("Men_RTB_Raw_Unwipe_Selected")->trigger();
  EXPECT_EQ(Field_Texts(), "won|(cleared)|ful|(cleared)|day|der");
  Select(16, 3);
  Menu_Action("Men_RTB_Raw_Select_Singer_3")->trigger();
  EXPECT_EQ(song().RTB_Raw.Color(16, 3), song().Singers[3].Text_Color);
}

TEST(PictureDialog, OkWritesTheControlsCancelKeepsANewPicturesFileTestPlaysTheEffect) {
  Fake_Dialogs fake;
  const Dialogs dialogs = fake.dialogs();
  const std::string loaded = "<Appearance_effect=Circle out><hold_time=4><reverse_effect=1>";
  // The button pressed; none: closed by the frame.
  for (const auto& [properties, button, left] : std::vector<std::array<std::string, 3>>{
           {loaded, "But_OK",
            "<Appearance_effect=My own><filename=new.bmp><along_with_lyrics=0><hold_time=4>"
            "<right_after_lyrics=0><overwrite_last_screen=1><dither_picture=1><reverse_effect=1>"},
           {"", "But_Cancel", "<filename=new.bmp>"},
           {"", "", ""},
           {"<hold_time=1>", "But_Cancel", "<hold_time=1>"}}) {
    Picture_Properties_Dialog dialog(properties, "new.bmp", 2, dialogs);
    if (properties == loaded) {  // the rest of what was loaded shows in the result
      EXPECT_EQ(dialog.findChild<QComboBox*>("Com_FadeInEffect")->currentText(), "Circle out");
    }
    dialog.findChild<QCheckBox*>("Chk_Overwrite")->setChecked(true);
    dialog.findChild<QComboBox*>("Com_FadeInEffect")->setCurrentText("My own");
    if (!button.empty())
      dialog.findChild<QPushButton*>(QString::fromStdString(button))->click();
    else
      dialog.reject();
    EXPECT_EQ(dialog.result() == QDialog::Accepted, button == "But_OK");
    EXPECT_EQ(dialog.Result(), left) << properties << button;
  }
  Picture_Properties_Dialog dialog("<Appearance_effect=Circle out><reverse_effect=1>", "a.bmp", 1,
                                   dialogs);
  dialog.findChild<QPushButton*>("But_Test")->click();
  ASSERT_TRUE(dialog.Draw_Preview_Tiles(4));
  // The four middle tiles (rows 8-9, columns 24-25) first, never reversed in the preview.
  const QImage& preview = dialog.Preview();
  EXPECT_EQ(preview.pixel(4 * 24, 2 * 8), qRgb(0, 0, 0));
  EXPECT_EQ(preview.pixel(4 * 25 + 3, 2 * 9 + 1), qRgb(0, 0, 0));
  EXPECT_EQ(preview.pixel(4, 2), qRgb(255, 255, 255));
  EXPECT_FALSE(dialog.Draw_Preview_Tiles(Tile_Count));
  EXPECT_EQ(preview.pixel(4, 2), qRgb(0, 0, 0));
  dialog.findChild<QComboBox*>("Com_FadeInEffect")->setCurrentText("Lightest to darkest");
  dialog.findChild<QPushButton*>("But_Test")->click();
  EXPECT_EQ(fake.messages, std::vector<std::string>{"Sorry, this effect can't be tested!"});
}

struct Swiping_Test : Window_Test {
  std::unique_ptr<Window_Under_Test> w = Open_Window();
  Song& song() { return w->song(); }
  QWidget* View() { return w->Find<QWidget>("Pic_Indication"); }

  void SetUp() override {
    song().RTB_Raw.Set_Text(QStringLiteral("Morning light\r\nover the river"));
    w->Show_Tab(2);
    QTest::mouseClick(w->Find("Chk_Tabmode"), Qt::LeftButton);  // Tab mode makes the syllables
    QCoreApplication::processEvents();
  }
  /// Clicks the middle of a field in the view.
  void Click_Field(int f) {
    const Field_Rec& field = song().Fields[f];
    const int x = (song().Char_X[field.First_Char - 1] + song().Char_X[field.Last_Char]) / 2;
    const int line = Line_Of_Char(song(), field.First_Char);
    QTest::mouseClick(View(), Qt::LeftButton, {}, QPoint(x, (line - 1) * View_Row_Height + 16));
  }
  void Space(bool down, bool repeat = false) {
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier,
                    QStringLiteral(" "), repeat);
    QApplication::sendEvent(View(), &event);
  }
};

TEST_F(Swiping_Test, SpaceTimesTheClickedSyllableOnceHoweverLongItIsHeld) {
  ASSERT_GE(song().Field_Count, 5) << "Tab mode broke the lyrics into syllables";
  Click_Field(1);
  w->Click("But_Start");
  ASSERT_FALSE(w->Find<QWidget>("Txt_Time")->isEnabled()) << "playing";
  View()->setFocus();
  QTest::qWait(150);
  Space(true);
  for (int i = 0; i < 5; ++i) {
    Space(false, true);
    Space(true, true);
  }
  QTest::qWait(150);
  Space(false);
  w->Click("But_Stop");
  const std::string& events = song().Fields[1].Events;
  ASSERT_GE(Event_Count(events), 2) << "a press and a release";
  EXPECT_EQ(static_cast<unsigned char>(events[events.size() - 4]), 250);
  EXPECT_GT(Event_Time_Packs(events, -1), Event_Time_Packs(events, 1));
  EXPECT_TRUE(song().Fields[2].Events.empty()) << "auto-repeat timed no other syllable";
  EXPECT_EQ((*w)->swiping_tab()->editor().Current_Field, 2);
  w->Click("But_Start");  // Stop while Space is still down ends the held syllable there
  View()->setFocus();
  Space(true);
  QTest::qWait(100);
  w->Click("But_Stop");
  Space(false);
  EXPECT_EQ(static_cast<unsigned char>(song().Fields[2].Events.end()[-4]), 250);
}

// Timing keys act on this tab only and not while typing into a box; the gap list's entry goes
// to its pause; half speed goes on from where the song is; with the mouse timer a wipe starts
// the song and letting go stops it.
TEST_F(Swiping_Test, KeysGapsHalfSpeedAndTheMouseTimer) {
  Click_Field(2);
  auto* go_back = w->Find<QLineEdit>("Txt_GoBack");
  go_back->setFocus();
  QTest::keyClick(go_back, Qt::Key_S);
  EXPECT_EQ(go_back->text(), QStringLiteral("5s")) << "the letter reached the box";
  EXPECT_EQ((*w)->swiping_tab()->editor().Current_Field, 2);
  View()->setFocus();
  QTest::keyClick(View(), Qt::Key_S);
  EXPECT_EQ((*w)->swiping_tab()->editor().Current_Field, 3) << "S skipped the syllable";
  w->Show_Tab(1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_S);
  EXPECT_EQ((*w)->swiping_tab()->editor().Current_Field, 3) << "no timing keys on other tabs";
  w->Show_Tab(2);
  for (int f = 1; f <= song().Field_Count; ++f)
    song().Fields[f].Events = Encode_Event(1, 300 * (f < 3 ? f : f + 10));
  w->Click("But_Find_gaps");
  auto* gaps = w->Find<QListWidget>("Lst_Gaps");
  ASSERT_EQ(gaps->count(), 1);
  QTest::mouseClick(gaps->viewport(), Qt::LeftButton, {},
                    gaps->visualItemRect(gaps->item(0)).center());
  EXPECT_DOUBLE_EQ(song().Song_Time, 2.0);
  EXPECT_EQ(w->Find<QLineEdit>("Txt_Time")->text(), QStringLiteral("0:02"));
  w->Click("But_Start");
  QTest::qWait(300);
  Song_Clock& clock = (*w)->swiping_tab()->playback().Clock;
  Read_Song_Time(song(), clock, true);
  const double before = song().Song_Time;
  w->Click("Chk_HalfSpeed");
  Read_Song_Time(song(), clock, true);
  EXPECT_NEAR(song().Song_Time, before, 0.3) << "half speed goes on from the same moment";
  w->Click("But_Stop");
  QTest::mouseClick(w->Find("Chk_Tabmode"), Qt::LeftButton);  // wiping with the mouse
  song().Window_Controls.Set_Check("Chk_MouseTimer", 1);
  auto* time = w->Find<QWidget>("Txt_Time");
  QTest::mousePress(View(), Qt::LeftButton, {}, QPoint(2, 16));
  EXPECT_FALSE(time->isEnabled()) << "the press started the song";
  QTest::mouseMove(View(), QPoint(60, 16));
  QTest::mouseRelease(View(), Qt::LeftButton, {}, QPoint(60, 16));
  EXPECT_TRUE(time->isEnabled()) << "letting go stopped it";
}

}  // namespace
}  // namespace lyricanvas::testing
