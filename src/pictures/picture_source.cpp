#include "pictures/picture_source.h"

#include <QImage>
#include <filesystem>

#include "model/file_io.h"

namespace lyricanvas {

namespace {

constexpr std::uint32_t Bmp_Header_Size = 40;
constexpr std::uint32_t Bmp_Pixel_Offset = 14 + Bmp_Header_Size;

void Put_U32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

void Put_U16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>(v >> 8);
}

/// The 1-based position of the picture character at or beside a position; 0 when none.
int Picture_Position(const Song& song, int position) {
  for (int p : {position, position + 1, position - 1})
    if (p >= 1 && song.RTB_Raw.Is_Picture(p - 1)) return p;
  return 0;
}

/// Takes the picture's character out of a timed field; returns the field when it covered only
/// the picture (it is then cleared for reuse), else 0.
int Cut_Field_Around(Song& song, int f, int position) {
  Field_Rec& field = song.Fields[f];
  if (field.First_Char == position && field.Last_Char == position) {
    field = Field_Rec{};
    return f;
  }
  if (field.First_Char == position) {
    ++field.First_Char;
  } else if (field.Last_Char == position) {
    --field.Last_Char;
  } else if (song.Field_Count < Max_Fields) {
    Field_Rec tail{static_cast<std::int16_t>(position + 1), field.Last_Char, field.Events};
    field.Last_Char = static_cast<std::int16_t>(position - 1);
    song.Fields[++song.Field_Count] = tail;
  }
  return 0;
}

/// Moves the fields behind a text offset on by count characters; a field around the offset
/// grows.
void Shift_Fields(Song& song, int offset, int count) {
  // In the window the edit tracker has moved the fields with the text already.
  if (song.Fields_Follow_Text) return;
  for (int f = 1; f <= song.Field_Count; ++f) {
    Field_Rec& field = song.Fields[f];
    if (Is_Empty(field)) continue;
    if (field.First_Char > offset) field.First_Char = static_cast<std::int16_t>(field.First_Char + count);
    if (field.Last_Char > offset) field.Last_Char = static_cast<std::int16_t>(field.Last_Char + count);
  }
}

void Insert_Break(Song& song, int offset) {
  song.RTB_Raw.Insert_Text(offset, QStringLiteral("\r\n"));
  Shift_Fields(song, offset, 2);
}

/// Whether the line that starts at an offset is empty (the end of the text counts as empty).
bool Blank_Line_At(const QString& text, int offset) {
  return offset >= text.size() || text.mid(offset, 2) == QStringLiteral("\r\n");
}

}  // namespace

std::optional<std::string> Extract_Embedded_Picture(const Song& song, int picture_field) {
  if (picture_field < 1 || picture_field > song.Field_Count) return std::nullopt;
  const int position = Picture_Position(song, song.Fields[picture_field].First_Char);
  if (position == 0) return std::nullopt;
  // The picture's ordinal in text order picks its embedded copy.
  int index = 0;
  while (index < song.RTB_Raw.Picture_Count() && song.RTB_Raw.Picture_Offset(index) < position - 1)
    ++index;
  const Embedded_Picture* picture = song.RTB_Raw.Picture(index);
  if (!picture) return std::nullopt;
  return picture->Bytes;
}

std::optional<std::string> Picture_Bytes(const Song& song, int picture_field,
                                         std::string& message) {
  if (song.Window_Controls.Check("Chk_Store_Pictures") != 0) {
    std::optional<std::string> bytes = Extract_Embedded_Picture(song, picture_field);
    if (!bytes) message = "The picture stored in the lyrics could not be found!";
    return bytes;
  }
  const Field_Rec& field = song.Fields[static_cast<std::size_t>(picture_field)];
  const std::string file = Get_Property(std::string_view(field.Events).substr(1), "filename");
  if (file.empty()) {
    message = "Please specify a BMP file!";
    return std::nullopt;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    const std::string kind = Special_File_Kind(file);
    message = kind.empty() ? "Specified BMP-file couldn't be found! (" + file + ")"
                           : "Specified BMP-file " + file + " is " + kind + ", not a regular file!";
    return std::nullopt;
  }
  std::string reason;
  std::optional<std::string> bytes = Read_Whole_File(file, &reason);
  if (!bytes) message = "Unpredicted error - " + reason + " on reading bitmap file " + file + "!";
  return bytes;
}

std::string Encode_Bmp24(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const auto width = static_cast<std::uint32_t>(rgb.width());
  const auto height = static_cast<std::uint32_t>(rgb.height());
  const std::uint32_t row_bytes = (width * 3 + 3) / 4 * 4;
  std::string out = "BM";
  Put_U32(out, Bmp_Pixel_Offset + row_bytes * height);
  Put_U32(out, 0);
  Put_U32(out, Bmp_Pixel_Offset);
  Put_U32(out, Bmp_Header_Size);
  Put_U32(out, width);
  Put_U32(out, height);
  Put_U16(out, 1);
  Put_U16(out, 24);
  for (int i = 0; i < 6; ++i) Put_U32(out, i == 2 ? 2835 : i == 3 ? 2835 : 0);
  for (int y = rgb.height() - 1; y >= 0; --y) {  // bottom row first
    const uchar* line = rgb.constScanLine(y);
    std::string row(row_bytes, '\0');
    for (std::uint32_t x = 0; x < width; ++x) {
      row[3 * x] = static_cast<char>(line[3 * x + 2]);
      row[3 * x + 1] = static_cast<char>(line[3 * x + 1]);
      row[3 * x + 2] = static_cast<char>(line[3 * x]);
    }
    out += row;
  }
  return out;
}

std::optional<std::string> Picture_File_As_Bmp(const std::string& bytes, const std::string& name,
                                               std::string& message) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return bytes;
  QImage image;
  const auto* data = reinterpret_cast<const uchar*>(bytes.data());
  const auto size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT32_MAX));
  if (!image.loadFromData(data, size, "PNG") && !image.loadFromData(data, size, "JPEG")) {
    message = "File " + name + " is no BMP, PNG or JPEG picture!";
    return std::nullopt;
  }
  return Encode_Bmp24(image);
}

int Edit_Picture_Properties(Song& song, int position,
                            const std::function<void(std::string& properties)>& edit) {
  position = std::max(Picture_Position(song, position), 1);
  std::string properties;
  int reuse = 0;
  if (const int f = Field_Containing(song, position); f > 0) {
    if (Is_Picture_Field(song.Fields[f])) {
      properties = song.Fields[f].Events.substr(1);
      reuse = f;
    } else {
      reuse = Cut_Field_Around(song, f, position);
    }
  }
  edit(properties);
  if (properties.empty()) return 0;
  if (reuse == 0) {
    if (song.Field_Count >= Max_Fields) return 0;
    reuse = ++song.Field_Count;
  }
  const auto at = static_cast<std::int16_t>(position);
  song.Fields[reuse] = Field_Rec{at, at, std::string(1, Picture_Record_Mark) + properties};
  return reuse;
}

int Insert_Picture(Song& song, int offset, const std::string& bmp, const std::string& file) {
  song.RTB_Raw.Insert_Picture(offset, Embedded_Picture{bmp, QString::fromStdString(file)});
  Shift_Fields(song, offset, 1);
  song.Picture_Count = song.RTB_Raw.Picture_Count();
  return song.Picture_Count;
}

int Insert_Picture_Line(Song& song, int after_lines, const std::string& bmp,
                        const std::string& file, bool own_screen) {
  const std::vector<int>& starts = song.RTB_Raw.Line_Starts();
  const int lines = song.RTB_Raw.Line_Count();
  if (after_lines < 0 || after_lines > lines) return 0;
  int offset = after_lines < lines ? starts[static_cast<std::size_t>(after_lines)]
                                    : song.RTB_Raw.Length();
  // A line that ends the text without a break gets one first.
  if (after_lines == lines && lines > 0 && !song.RTB_Raw.Text().endsWith(QStringLiteral("\r\n"))) {
    Insert_Break(song, offset);
    offset += 2;
  }
  const QString text = song.RTB_Raw.Text();
  const bool blank_before =
      offset == 0 || (offset >= 4 && text.mid(offset - 4, 4) == QStringLiteral("\r\n\r\n"));
  const bool blank_after = Blank_Line_At(text, offset);
  if (own_screen && !blank_after) Insert_Break(song, offset);
  Insert_Break(song, offset);
  Insert_Picture(song, offset, bmp, file);
  if (!blank_before) {
    Insert_Break(song, offset);
    offset += 2;
  }
  return offset + 1;
}

}  // namespace lyricanvas
