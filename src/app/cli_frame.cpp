// lyricanvas-cli frame: the CD+G display of a .cdg file at one time, or a contact sheet of the
// display at regular steps, written as PNG. The frame at t seconds is the state after pack
// floor(t * 300) (see cdg/cdg_decoder.h); a time past the last pack is an error rather than a
// silent repeat of the last state, so a mistyped time is noticed.
//
// Exit codes: 0 written; 1 the input cannot be read, holds no pack, the time is past its end,
// the output is refused (a special file, the input itself, an existing file without --yes) or
// the PNG cannot be written; 2 the command line is wrong (unknown option, bad time, too many
// frames for one sheet).
#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/cli_options.h"
#include "cdg/cdg_decoder.h"
#include "model/file_io.h"

namespace lyricanvas::cli {
namespace {

constexpr int Sheet_Columns = 5;
constexpr int Max_Sheet_Frames = 250;  ///< 50 rows: a sheet of about 1.5 k x 12 k pixels
constexpr int Label_Height = 16;       ///< pixels under each frame for its time
constexpr int Gap = 4;                 ///< pixels between and around the frames
constexpr std::uint64_t Max_Cdg_Bytes = std::uint64_t{512} << 20;  ///< about 20 hours of packs

struct Frame_Options {
  std::string input;
  std::string output;
  std::optional<double> at;     ///< seconds
  std::optional<double> every;  ///< seconds
};

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "lyricanvas-cli frame: %s\n", message.c_str());
  return code;
}

void Describe(Verb_Parser& words) {
  words.Add_Positional("FILE.cdg", "The .cdg pack stream to show.");
  words.Add_Option({"at"}, "TIME",
                   std::string("Writes the display at TIME: the state after pack TIME x 300. ") + Time_Forms);
  words.Add_Option({"every"}, "TIME",
                   "Writes a contact sheet of the display at 0, TIME, 2 x TIME ... up to the "
                   "end, at most " + std::to_string(Max_Sheet_Frames) + " frames; TIME above 0.");
  words.Add_Option({"o", "output"}, "OUT.png", "The PNG file to write; - writes it to standard output.");
}

/// Reads the options; the result is the exit status when the run ends here.
std::optional<int> Parse_Options(const std::vector<std::string>& args, Frame_Options& options) {
  Verb_Parser words("frame", "Writes the CD+G display of a .cdg file at one time, or a contact "
                             "sheet of it at regular steps, as PNG.");
  Describe(words);
  if (std::optional<int> exit = words.Parse(args)) return exit;
  options.at = words.Time("at", Time_Bounds{});
  options.every = words.Time("every", Time_Bounds{.above_minimum = true});
  std::vector<std::string> inputs = words.Positionals();
  if (inputs.size() != 1) words.Reject(inputs.empty() ? "no input .cdg file given"
                                                      : "one input file only, not also '" + inputs[1] + "'");
  if (!words.Is_Set("output")) words.Reject("no output file given (-o OUT.png)");
  if (words.Is_Set("at") == words.Is_Set("every")) words.Reject("give either --at TIME or --every TIME");
  if (!words.Ok()) return words.Usage_Error();
  options.input = inputs[0];
  options.output = *words.Value("output");
  return std::nullopt;
}

std::string Format_Time(double seconds) {
  long hundredths = std::lround(seconds * 100);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60,
                hundredths % 100);
  return text;
}

std::string End_Note(const std::string& path, std::int64_t packs) {
  return path + " ends with pack " + std::to_string(packs - 1) + " at " +
         Format_Time(static_cast<double>(packs - 1) / Cdg_Packs_Per_Second);
}

/// Writes the PNG through the atomic writer, so a failed write leaves an older file as it was.
int Save(const QImage& image, const std::string& path) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return Fail(Exit_Failure, "cannot encode the PNG for " + path);
  Atomic_File file(path);
  file.Append(std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
  File_Error error;
  if (!file.Commit(error))
    return Fail(Exit_Failure, error.what + " '" + path + "': " + error.reason);
  std::fprintf(path == Standard_Output ? stderr : stdout, "wrote %s (%d x %d)\n", path.c_str(),
               image.width(), image.height());
  return 0;
}

int Write_Frame(std::span<const std::uint8_t> bytes, const Frame_Options& options) {
  std::int64_t pack = Cdg_Pack_At(*options.at);
  if (pack >= Cdg_Pack_Count(bytes))
    return Fail(Exit_Failure, Format_Time(*options.at) + " is past the end: " +
                                  End_Note(options.input, Cdg_Pack_Count(bytes)));
  return Save(Decode_Frame(bytes, pack), options.output);
}

/// The frames of a sheet drawn in a grid, each with its time under it.
QImage Compose_Sheet(const std::vector<QImage>& frames, const std::vector<double>& times) {
  int count = static_cast<int>(frames.size());
  int columns = std::min(Sheet_Columns, count);
  int rows = (count + columns - 1) / columns;
  QImage sheet(Gap + columns * (Cdg_Width + Gap), Gap + rows * (Cdg_Height + Label_Height + Gap),
               QImage::Format_RGB32);
  sheet.fill(qRgb(32, 32, 32));
  QPainter painter(&sheet);
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  painter.setPen(QColor(220, 220, 220));
  for (int i = 0; i < count; ++i) {
    int x = Gap + (i % columns) * (Cdg_Width + Gap);
    int y = Gap + (i / columns) * (Cdg_Height + Label_Height + Gap);
    painter.drawImage(x, y, frames[static_cast<std::size_t>(i)]);
    QString label = QString::fromStdString(Format_Time(times[static_cast<std::size_t>(i)]));
    painter.drawText(QRect(x, y + Cdg_Height, Cdg_Width, Label_Height), Qt::AlignCenter, label);
  }
  return sheet;
}

int Write_Sheet(std::span<const std::uint8_t> bytes, const Frame_Options& options) {
  const std::int64_t packs = Cdg_Pack_Count(bytes);
  std::vector<double> times;
  for (double t = 0; Cdg_Pack_At(t) < packs; t = static_cast<double>(times.size()) * *options.every) {
    if (times.size() == Max_Sheet_Frames)
      return Fail(Exit_Usage, "more than " + std::to_string(Max_Sheet_Frames) +
                                  " frames for one sheet: " + End_Note(options.input, packs) +
                                  "; choose a larger --every");
    times.push_back(t);
  }
  std::vector<QImage> frames;
  Cdg_Decoder decoder;
  for (double t : times) {
    std::int64_t pack = Cdg_Pack_At(t);
    Cdg_Decode_Packs(decoder, bytes.subspan(static_cast<std::size_t>(decoder.packs_fed) * Cdg_Pack_Bytes,
                                            static_cast<std::size_t>(pack + 1 - decoder.packs_fed) *
                                                Cdg_Pack_Bytes));
    frames.push_back(Cdg_Image(decoder));
  }
  return Save(Compose_Sheet(frames, times), options.output);
}

int Run_Frame(const std::vector<std::string>& args) {
  Frame_Options options;
  if (std::optional<int> exit = Parse_Options(args, options)) return *exit;
  std::string reason;
  std::optional<std::string> file = Read_Whole_File(options.input, &reason, Max_Cdg_Bytes);
  if (!file) return Fail(Exit_Failure, "cannot read '" + options.input + "': " + reason);
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file->data()),
                                      file->size());
  if (Cdg_Pack_Count(bytes) == 0)
    return Fail(Exit_Failure, options.input + " holds no complete CD+G pack (" +
                                  std::to_string(bytes.size()) + " bytes)");
  return options.at ? Write_Frame(bytes, options) : Write_Sheet(bytes, options);
}

const bool registered = Register_Verb(
    {"frame",
     "frame FILE.cdg (--at TIME | --every TIME) -o OUT.png   the display at a time, or a "
     "contact sheet of it every TIME",
     Run_Frame});

}  // namespace
}  // namespace lyricanvas::cli
