#include "app/window/swiping_tab.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QListWidget>

#include "model/layout.h"
#include "timing/timing_view.h"
#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

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

TEST_F(Swiping_Test, KeysActOnlyOnThisTabAndNotWhileTypingIntoABox) {
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
}

TEST_F(Swiping_Test, FindGapsListsThePausesAndAClickGoesThere) {
  for (int f = 1; f <= song().Field_Count; ++f)
    song().Fields[f].Events = Encode_Event(1, 300 * (f < 3 ? f : f + 10));
  w->Click("But_Find_gaps");
  auto* gaps = w->Find<QListWidget>("Lst_Gaps");
  ASSERT_EQ(gaps->count(), 1);
  QTest::mouseClick(gaps->viewport(), Qt::LeftButton, {},
                    gaps->visualItemRect(gaps->item(0)).center());
  EXPECT_DOUBLE_EQ(song().Song_Time, 2.0);
  EXPECT_EQ(w->Find<QLineEdit>("Txt_Time")->text(), QStringLiteral("0:02"));
}

TEST_F(Swiping_Test, WithTheMouseTimerAWipeStartsTheSongAndLettingGoStopsIt) {
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
