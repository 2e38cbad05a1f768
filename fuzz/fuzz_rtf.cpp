// The RTF reader on arbitrary bytes: it must never crash or hang; a refused input must leave the
// document untouched and say why, and what was read must survive being written and read again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "project/rtf.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lyricanvas::fuzzing::Fuzz_Application();
  lyricanvas::Document doc;
  doc.Set_Text("untouched");
  std::string error;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!lyricanvas::Read_Rtf(doc, input, error)) {
    if (error.empty() || doc.Text() != "untouched") std::abort();
    return 0;
  }
  lyricanvas::Document again;
  if (!lyricanvas::Read_Rtf(again, lyricanvas::Write_Rtf(doc), error)) std::abort();
  if (again.Text() != doc.Text() || again.Picture_Count() != doc.Picture_Count()) std::abort();
  return 0;
}
