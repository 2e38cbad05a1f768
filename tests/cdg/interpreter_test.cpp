#include "cdg/interpreter.h"

#include <gtest/gtest.h>

#include <memory>

#include "cdg/packs.h"

namespace lyricanvas {
namespace {

// The model follows a screen clear: each of the sixteen memory presets the engine writes colours
// the band of twelve rows its repeat names. A range reaching past the stream ends with it. (Tiles,
// XOR packs and where a range resumes are checked through the songs the engine creates.)
TEST(Interpreter, AScreenClearColoursTheInnerAreaAndARangeEndsWithTheStream) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(99);
  std::int64_t slot = 0;
  Write_Memory_Preset(*run, 9, slot);
  Interpret_Packs_Up_To(*run, 1'000'000);
  EXPECT_EQ(run->Pack_Pointer, 100);
  EXPECT_EQ(run->Interpreted_Up_To, 99);
  for (const Screen_Pixels* screen : {&run->Target_Screen, &run->Shown_Screen})
    for (int y = 0; y < Inner_Height; ++y)
      for (int x = 0; x < Inner_Width; ++x) ASSERT_EQ((*screen)(y, x), 9) << x << "," << y;
}

}  // namespace
}  // namespace lyricanvas
