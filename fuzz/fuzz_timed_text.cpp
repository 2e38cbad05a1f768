// The timed-text song reader on arbitrary bytes: it must never crash; a refused text says why
// and leaves the song as it was, a read one has only fields that lie inside the lyrics.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "fuzz_support.h"
#include "project/timed_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lyricanvas::fuzzing::Fuzz_Application();
  static auto song = std::make_unique<lyricanvas::Song>();
  const QString before = song->RTB_Raw.Text();
  const int fields_before = song->Field_Count;
  std::string error;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!lyricanvas::Load_Timed_Text(*song, text, error)) {
    if (error.empty() || song->RTB_Raw.Text() != before || song->Field_Count != fields_before)
      std::abort();
    return 0;
  }
  const int length = song->RTB_Raw.Length();
  for (int f = 1; f <= song->Field_Count; ++f) {
    const lyricanvas::Field_Rec& field = song->Fields[f];
    if (field.First_Char < 1 || field.Last_Char < field.First_Char || field.Last_Char > length)
      std::abort();
  }
  return 0;
}
