#include "app/window/dialogs.h"

#include <gtest/gtest.h>

namespace lyricanvas::testing {
namespace {

TEST(QtFileFilter, EveryPairBecomesOneFilterThatQtCanRead) {
  struct Case {
    std::string filter;
    const char* expected;
  };
  for (const Case& c :
       {Case{"Lyricanvas project files (*.cgp)|*.cgp", "Lyricanvas project files (*.cgp)"},
        Case{"", "All files (*)"},
        Case{"CD+G data files (*.cdg)|*.cdg|CDRWIN image files (*.bin)|*.bin",
             "CD+G data files (*.cdg);;CDRWIN image files (*.bin)"},
        Case{"WAV audio files (44,1 kHz/2 channels/16 bit) (*.wav)|*.wav",
             "WAV audio files (44,1 kHz/2 channels/16 bit) (*.wav)"},
        Case{"Pictures|*.bmp;*.dib", "Pictures (*.bmp *.dib)"}, Case{"Broken|", "Broken ()"},
        Case{"Odd one out", ""}})
    EXPECT_EQ(Qt_File_Filter(c.filter).toStdString(), c.expected) << c.filter;
}

}  // namespace
}  // namespace lyricanvas::testing
