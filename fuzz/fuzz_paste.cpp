// Pasting arbitrary clipboard data into timed lyrics: rich text from anywhere, our own copies
// with their pictures, image data. It must never crash; the analysis must agree with what
// arrives, and one undo must give back the text and every field.
#include <QMimeData>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "editing/paste.h"
#include "editing/text_tracking.h"
#include "fuzz_support.h"

// Font names in pasted HTML reach fontconfig, which keeps what it looked up for the life of the
// process; that is its cache, not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lyricanvas;
  fuzzing::Fuzz_Application();
  if (size < 2) return 0;
  const QByteArray bytes(reinterpret_cast<const char*>(data) + 2, static_cast<qsizetype>(size - 2));
  QMimeData mime;
  switch (data[0] % 4) {
    case 0: mime.setHtml(QString::fromUtf8(bytes)); break;
    case 1: mime.setText(QString::fromUtf8(bytes)); break;
    case 2: {  // our own copy: lyrics, a zero byte, then the pictures
      const qsizetype cut = bytes.indexOf('\0');
      mime.setData("application/x-lyricanvas-lyrics", bytes.left(cut < 0 ? bytes.size() : cut));
      mime.setData("application/x-lyricanvas-pictures", cut < 0 ? QByteArray() : bytes.mid(cut + 1));
      break;
    }
    default: mime.setData("image/png", bytes); break;
  }
  auto song = std::make_unique<Song>();
  song->RTB_Raw.Set_Text("la la\r\nlo");
  song->Field_Count = 3;
  song->Fields[1] = {1, 2, Encode_Event(1, 300)};
  song->Fields[2] = {4, 5, Encode_Event(1, 600)};
  song->Fields[3] = {8, 9, Encode_Event(1, 900)};
  Edit_Tracker tracker;
  Track_Edits(*song, tracker);
  const auto fields = song->Fields;
  const QString text = song->RTB_Raw.Text();
  const int at = data[1] % (text.size() + 1);
  song->RTB_Raw.Select(at, 0);
  Ui quiet;
  const Paste_Analysis analysis = Paste(*song, mime, quiet, nullptr);
  if (song->RTB_Raw.Length() != text.size() + analysis.Pasted_Length) std::abort();
  if (song->RTB_Raw.Picture_Count() != analysis.Pasted_Picture_Count) std::abort();
  if (analysis.Pasted_Length > 0) {
    song->RTB_Raw.Qt().undo();
    if (song->RTB_Raw.Text() != text || !(song->Fields == fields)) std::abort();
  }
  return 0;
}
