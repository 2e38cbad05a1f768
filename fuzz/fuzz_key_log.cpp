// The key log reader on arbitrary bytes, and what it reads replayed through the key handlers on
// a small song: never a crash; a refused log says why; a read one writes back to a log with as
// many events, and the replay leaves every field inside the lyrics with whole events.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "fuzz_support.h"
#include "timing/key_log.h"
#include "timing/key_timing.h"

namespace {

lyricanvas::Song& Broken_Song() {
  static auto song = [] {
    auto s = std::make_unique<lyricanvas::Song>();
    s->RTB_Raw.Set_Text(QStringLiteral("Morning light is shining\r\nover the river"));
    s->Window_Controls.Set_Check("Chk_Tabmode", 1);
    auto te = std::make_unique<lyricanvas::Timing_Editor>();
    lyricanvas::Chk_Tabmode_Click(*te, *s, lyricanvas::Ui{});
    // One session first, so that the font caches filled on first use are not taken for leaks.
    lyricanvas::Begin_Key_Session(*te, *s);
    lyricanvas::Replay_Key_Log(*te, *s, lyricanvas::Ui{},
                               {{1, lyricanvas::Log_Key::Press}, {2, lyricanvas::Log_Key::Release}});
    return s;
  }();
  return *song;
}

}  // namespace

// The system's font configuration keeps what it allocates while Qt looks fonts up for drawing
// the timing view; that is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lyricanvas::fuzzing::Fuzz_Application();
  std::string error;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto events = lyricanvas::Parse_Key_Log(text, error);
  if (!events) {
    if (error.empty()) std::abort();
    return 0;
  }
  const auto again = lyricanvas::Parse_Key_Log(lyricanvas::Write_Key_Log(*events), error);
  if (!again || again->size() != events->size()) std::abort();

  lyricanvas::Song& song = Broken_Song();
  for (int f = 1; f <= song.Field_Count; ++f) song.Fields[f].Events.clear();
  auto te = std::make_unique<lyricanvas::Timing_Editor>();
  lyricanvas::Begin_Key_Session(*te, song);
  lyricanvas::Replay_Key_Log(*te, song, lyricanvas::Ui{}, *events);
  const int length = song.RTB_Raw.Length();
  for (int f = 1; f <= song.Field_Count; ++f) {
    const lyricanvas::Field_Rec& field = song.Fields[f];
    if (field.First_Char < 1 || field.Last_Char > length || field.Events.size() % 4 != 0)
      std::abort();
  }
  return 0;
}
