#include "cdg/fades.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "cdg/packs.h"

namespace lyricanvas {
namespace {

Palette_Table Uniform(int level) {
  Palette_Table palette{};
  for (auto& entry : palette) entry = {level, level, level, level};
  return palette;
}

struct Fades : ::testing::Test {
  std::unique_ptr<Creation_Run> run = std::make_unique<Creation_Run>();
  static constexpr std::int64_t P = 1000;
  void SetUp() override {
    run->Pack_Buffer.Resize(2000);
    run->Pack_Pointer = P;
  }

  std::vector<std::int64_t> Occupied() const {
    std::vector<std::int64_t> stream;
    for (std::int64_t s = 0; s <= run->Pack_Buffer.Last_Slot(); ++s) {
      if (run->Pack_Buffer.Occupied(s)) stream.push_back(s);
    }
    return stream;
  }

  /// The colour k of the table in slot, red/green/blue as placed.
  std::array<std::uint8_t, 2> Color_In(std::int64_t slot, int k) const {
    const Pack& pack = run->Pack_Buffer.At(slot);
    return {pack[static_cast<std::size_t>(4 + 2 * k)], pack[static_cast<std::size_t>(5 + 2 * k)]};
  }
};

TEST_F(Fades, CheapDvdFromBlackToWhiteSendsSixStepsRoundedHalfUp) {
  Fade(*run, Uniform(0), Uniform(15), 0, "Cheap DVD fading");
  std::vector<std::int64_t> expected;
  for (int t = 50; t <= 300; t += 50) {
    expected.push_back(P + t);
    expected.push_back(P + t + 1);
  }
  EXPECT_EQ(Occupied(), expected);
  EXPECT_EQ(run->Pack_Pointer, P + 302);
  EXPECT_EQ(run->Pack_Buffer.At(P + 50)[1], Load_Colors_Low);
  EXPECT_EQ(run->Pack_Buffer.At(P + 51)[1], Load_Colors_High);
  EXPECT_EQ(Color_In(P + 50, 0), Encode_Color(3, 3, 3)) << "2.5 rounds up";
  EXPECT_EQ(Color_In(P + 150, 7), Encode_Color(8, 8, 8));
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(Color_In(P + 300, k), Encode_Color(15, 15, 15));
    EXPECT_EQ(Color_In(P + 301, k), Encode_Color(15, 15, 15));
  }
}

TEST_F(Fades, SmoothSendsOnEvenStepsOnlyWhenSomethingChanged) {
  Fade(*run, Uniform(0), Uniform(15), 0, "Smooth fading");
  const auto stream = Occupied();
  ASSERT_EQ(stream.size(), 30u) << "fifteen level changes, two halves each";
  for (std::size_t i = 0; i < stream.size(); i += 2) {
    EXPECT_EQ((stream[i] - P) % 2, 0);
    EXPECT_EQ(stream[i + 1], stream[i] + 1);
  }
  EXPECT_EQ(stream.front(), P + 10) << "level 1 is reached when 15t/300 passes 0.5";
  EXPECT_EQ(stream.back(), P + 291);
  EXPECT_EQ(run->Pack_Pointer, P + 292);
  EXPECT_EQ(Color_In(P + 290, 3), Encode_Color(15, 15, 15));
}

TEST_F(Fades, EmptyAndUnknownStylesFadeSmoothly) {
  Fade(*run, Uniform(0), Uniform(15), 0, "Smooth fading");
  const auto smooth = Occupied();
  for (const char* style : {"", "Sparkle"}) {
    SetUp();
    Fade(*run, Uniform(0), Uniform(15), 0, style);
    EXPECT_EQ(Occupied(), smooth) << style;
    EXPECT_EQ(run->Pack_Pointer, P + 292);
  }
}

TEST_F(Fades, NothingToChangeSendsNothing) {
  for (const char* style : {"Smooth fading", "Cheap DVD fading"}) {
    SetUp();
    Fade(*run, Uniform(9), Uniform(9), 4, style);
    EXPECT_TRUE(Occupied().empty());
    EXPECT_EQ(run->Pack_Pointer, P + 2) << style;
  }
  SetUp();
  Fade(*run, Uniform(9), Uniform(9), 4, "None");
  EXPECT_TRUE(Occupied().empty());
  EXPECT_EQ(run->Pack_Pointer, P) << "a switch with nothing to do never moves the pointer back";
}

// "None" has no time reserved for it: the switch happens where the plan puts the change.
TEST_F(Fades, NoneSwitchesOnceAtOnce) {
  Fade(*run, Uniform(0), Uniform(15), 0, "None");
  EXPECT_EQ(Occupied(), (std::vector<std::int64_t>{P, P + 1}));
  EXPECT_EQ(run->Pack_Pointer, P + 2);
  EXPECT_EQ(Color_In(P + 1, 7), Encode_Color(15, 15, 15));
}

TEST_F(Fades, EveryColourHeadsForTheOneTargetColour) {
  Palette_Table target{};
  for (int i = 0; i < 16; ++i) target[static_cast<std::size_t>(i)] = {0, i, 15 - i, i / 2};
  Fade(*run, Uniform(0), target, 5, "None");
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(Color_In(P, k), Encode_Color(5, 10, 2));
    EXPECT_EQ(Color_In(P + 1, k), Encode_Color(5, 10, 2));
  }
}

TEST_F(Fades, FadingToAnOwnColourLeavesItAndItsUnchangedHalfAlone) {
  Palette_Table source = Uniform(4);
  for (int i = 8; i < 16; ++i) source[static_cast<std::size_t>(i)] = {0, 15, i, 0};
  source[3] = {4, 4, 4, 4};
  Fade(*run, source, source, 3, "Smooth fading");
  const auto stream = Occupied();
  ASSERT_FALSE(stream.empty());
  for (const std::int64_t s : stream) {
    EXPECT_EQ(run->Pack_Buffer.At(s)[1], Load_Colors_High) << "colours 0..7 already are colour 3";
    EXPECT_EQ((s - P) % 2, 1);
  }
  EXPECT_EQ(Color_In(stream.back(), 7), Encode_Color(4, 4, 4));
}

TEST_F(Fades, PacksBeyondTheStreamAreDropped) {
  run->Pack_Buffer.Resize(1100);
  Fade(*run, Uniform(0), Uniform(15), 0, "Cheap DVD fading");
  EXPECT_EQ(Occupied(), (std::vector<std::int64_t>{P + 50, P + 51, P + 100}));
  EXPECT_EQ(run->Pack_Buffer.Size(), 1101);
  EXPECT_EQ(run->Pack_Pointer, P + 302);
}

}  // namespace
}  // namespace lyricanvas
