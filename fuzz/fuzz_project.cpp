// The project reader (new and older layouts) on arbitrary bytes: it must never crash or hang;
// a refused or incomplete file says why, a read one has at most the capacity of fields, and what it read can
// be saved and read back to the same fields and properties.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "project/project_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lyricanvas::fuzzing::Fuzz_Application();
  lyricanvas::Ui quiet;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  lyricanvas::Song song;
  std::string error;
  lyricanvas::Read_Status status = lyricanvas::Read_Project_File(song, bytes, error, quiet);
  if (status != lyricanvas::Read_Status::Complete && error.empty()) std::abort();
  if (status == lyricanvas::Read_Status::Failed) return 0;
  if (song.Field_Count < 0 || song.Field_Count > lyricanvas::Max_Fields) std::abort();
  lyricanvas::Apply_Properties(song, quiet);
  // Picture fields are re-anchored on reading; every other field must come back as saved.
  for (int f = 1; f <= song.Field_Count; ++f)
    if (lyricanvas::Is_Picture_Field(song.Fields[f])) song.Fields[f] = lyricanvas::Field_Rec{};
  std::string saved = lyricanvas::Project_File_Bytes(song, quiet);
  lyricanvas::Song again;
  if (lyricanvas::Read_Project_File(again, saved, error, quiet) != lyricanvas::Read_Status::Complete)
    std::abort();
  if (again.Field_Count != song.Field_Count) std::abort();
  for (int f = 1; f <= song.Field_Count; ++f)
    if (!(again.Fields[f] == song.Fields[f])) std::abort();
  return 0;
}
