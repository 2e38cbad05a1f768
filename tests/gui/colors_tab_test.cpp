#include "app/window/colors_tab.h"

#include <gtest/gtest.h>

#include <QFrame>

#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using ColorsTab = Window_Test;

QFrame* Swatch(Window_Under_Test& w, int k) {
  return w.Find<QFrame>(("Sha_Color_" + std::to_string(k)).c_str());
}

TEST_F(ColorsTab, TheChosenColourOfASwatchReachesTheSavedProject) {
  struct Case {
    int entry;
    bool by_keyboard;     ///< Enter on the focused swatch, else a double-click on it
    Dialog_Color chosen;  ///< red + 256 green + 65536 blue
    const char* saved;
    const char* shown;
  };
  for (const Case& c :
       {Case{6, false, 136 + 256 * 68, "<color_6_1=8><color_6_2=4><color_6_3=0>", "#884400"},
        Case{15, true, 17 + 256 * 255, "<color_15_1=1><color_15_2=15><color_15_3=0>", "#11ff00"}}) {
    auto w = Open_Window();
    w->Show_Tab(4);
    w->fake.colors.push_back(c.chosen);
    QFrame* swatch = Swatch(*w, c.entry);
    if (c.by_keyboard) {
      swatch->setFocus();
      QTest::keyClick(swatch, Qt::Key_Return);
    } else {
      QTest::mouseDClick((*w)->colors_tab(), Qt::LeftButton, {}, swatch->geometry().center());
    }
    EXPECT_TRUE(swatch->styleSheet().contains(QString::fromLatin1(c.shown))) << c.shown;
    EXPECT_TRUE((*w)->Unsaved_Changes());
    w->fake.files.push_back(File("colours.cgp"));
    w->Click("But_SaveAs");
    EXPECT_NE(Read_File(File("colours.cgp")).find(c.saved), std::string::npos) << c.saved;
  }
}

TEST_F(ColorsTab, ADoubleClickBetweenSwatchesOpensNothing) {
  auto w = Open_Window();
  w->Show_Tab(4);
  const QRect a = Swatch(*w, 0)->geometry(), b = Swatch(*w, 1)->geometry();
  const QPoint between((a.right() + b.left()) / 2 + 1, a.center().y());
  ASSERT_EQ((*w)->colors_tab()->Entry_At(between), -1);
  const Palette_Table before = w->song().Palette;
  w->fake.colors.push_back(0);
  QTest::mouseDClick((*w)->colors_tab(), Qt::LeftButton, {}, between);
  EXPECT_EQ(w->song().Palette, before);
  EXPECT_EQ(w->fake.colors.size(), 1u);  // the dialog was not shown
  EXPECT_FALSE((*w)->Unsaved_Changes());
  for (int k = 0; k < 16; ++k)
    EXPECT_EQ((*w)->colors_tab()->Entry_At(Swatch(*w, k)->geometry().center()), k);
}

}  // namespace
}  // namespace lyricanvas::testing
