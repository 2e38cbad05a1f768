// The MIDI and KAR lyrics import on arbitrary bytes: it must never crash or hang; a refused file
// must leave the song untouched, and an imported one must only make fields that lie inside the
// lyrics, each timed by a start and an end that is not earlier.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "project/midi_import.h"
#include "fuzz_support.h"

namespace {

void Check_Fields(const lyricanvas::Song& song) {
  for (int f = 1; f <= song.Field_Count; ++f) {
    const lyricanvas::Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
    if (field.First_Char < 1 || field.Last_Char < field.First_Char ||
        field.Last_Char > song.Text_Length || field.Events.size() != 8 ||
        lyricanvas::Event_Time_Packs(field.Events, 2) <
            lyricanvas::Event_Time_Packs(field.Events, 1)) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lyricanvas::fuzzing::Fuzz_Application();
  static auto song = std::make_unique<lyricanvas::Song>();  // one song, as in the program
  const QString text_before = song->RTB_Raw.Text();
  const int fields_before = song->Field_Count;
  lyricanvas::Ui quiet;
  std::span<const std::uint8_t> bytes(data, size);
  if (lyricanvas::Import_Midi(*song, bytes, "f.kar", quiet) == lyricanvas::Read_Status::Failed) {
    if (song->RTB_Raw.Text() != text_before || song->Field_Count != fields_before) std::abort();
  } else {
    Check_Fields(*song);
  }
  return 0;
}
