#include "app/window/colors_tab.h"

#include <gtest/gtest.h>

#include <QFrame>

#include "window_fixture.h"

namespace lyricanvas::testing {
namespace {

using ColorsTab = Window_Test;

QPoint Centre_In_Tab(Window_Under_Test& w, int k) {
  auto* swatch = w.Find<QFrame>(("Sha_Color_" + std::to_string(k)).c_str());
  return swatch->geometry().center();
}

TEST_F(ColorsTab, ADoubleClickedSwatchTakesTheChosenColourIntoTheSavedProject) {
  auto w = Open_Window();
  w->Show_Tab(4);
  w->fake.colors.push_back(136 + 256 * 68);  // (136, 68, 0)
  QTest::mouseDClick((*w)->colors_tab(), Qt::LeftButton, {}, Centre_In_Tab(*w, 6));
  EXPECT_EQ((*w)->song().Palette[6][1], 8);
  EXPECT_EQ((*w)->song().Palette[6][2], 4);
  EXPECT_EQ((*w)->song().Palette[6][3], 0);
  EXPECT_EQ(w->Find<QFrame>("Sha_Color_6")->styleSheet().contains(QStringLiteral("#884400")), true);
  EXPECT_TRUE((*w)->Unsaved_Changes());

  w->fake.files.push_back(File("colours.cgp"));
  w->Click("But_SaveAs");
  const std::string saved = Read_File(File("colours.cgp"));
  EXPECT_NE(saved.find("<color_6_1=8><color_6_2=4><color_6_3=0>"), std::string::npos);
}

TEST_F(ColorsTab, EnterOnAFocusedSwatchEditsItFromTheKeyboard) {
  auto w = Open_Window();
  w->Show_Tab(4);
  auto* swatch = w->Find<QFrame>("Sha_Color_15");
  swatch->setFocus();
  w->fake.colors.push_back(0xFFFFFF);
  QTest::keyClick(swatch, Qt::Key_Return);
  EXPECT_EQ((*w)->song().Palette[15][1], 15);
  EXPECT_EQ((*w)->song().Palette[15][2], 15);
  EXPECT_EQ((*w)->song().Palette[15][3], 15);
}

TEST_F(ColorsTab, ADoubleClickBetweenSwatchesOpensNothing) {
  auto w = Open_Window();
  w->Show_Tab(4);
  const QPoint a = Centre_In_Tab(*w, 0), b = Centre_In_Tab(*w, 1);
  const QPoint between((w->Find<QFrame>("Sha_Color_0")->geometry().right() +
                        w->Find<QFrame>("Sha_Color_1")->geometry().left()) / 2 + 1,
                       (a.y() + b.y()) / 2);
  ASSERT_EQ((*w)->colors_tab()->Entry_At(between), -1);
  const Palette_Table before = (*w)->song().Palette;
  w->fake.colors.push_back(0);
  QTest::mouseDClick((*w)->colors_tab(), Qt::LeftButton, {}, between);
  EXPECT_EQ((*w)->song().Palette, before);
  EXPECT_EQ(w->fake.colors.size(), 1u);  // the dialog was not shown
  EXPECT_FALSE((*w)->Unsaved_Changes());
  for (int k = 0; k < 16; ++k) EXPECT_EQ((*w)->colors_tab()->Entry_At(Centre_In_Tab(*w, k)), k);
}

}  // namespace
}  // namespace lyricanvas::testing
