#include "project/project_text.h"

#include <QStringDecoder>

#include "project/rtf.h"

namespace lyricanvas {

bool Is_Valid_Utf8(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return !decoder.hasError();
}

QString Decode_Windows_1252(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char byte : bytes) text += QChar(Windows_1252_To_Unicode(static_cast<std::uint8_t>(byte)));
  return text;
}

QString Decode_Text(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (Is_Valid_Utf8(bytes))
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return Decode_Windows_1252(bytes);
}

std::string Encode_Properties(const std::string& properties) {
  std::string_view text = properties;
  std::size_t lead = text.find('\xFE');  // the lead byte after the mark is no UTF-8
  lead = lead == std::string_view::npos ? 0 : lead + 1;
  std::string out(text.substr(0, lead));
  for (QChar c : QString::fromUtf8(text.substr(lead))) {
    int byte = Unicode_To_Windows_1252(c.unicode());
    if (byte < 0) return properties;
    out += static_cast<char>(byte);
  }
  // Bytes such as "Ã¼" are valid UTF-8 as well and would read back as "ü".
  if (out != properties && Is_Valid_Utf8(std::string_view(out).substr(lead))) return properties;
  return out;
}

std::string Decode_Properties(std::string_view raw) {
  std::size_t lead = !raw.empty() && raw[0] == '\xFE' ? 1 : 0;
  std::string_view tags = raw.substr(lead);
  if (Is_Valid_Utf8(tags)) return std::string(raw);
  return std::string(raw.substr(0, lead)) + Decode_Windows_1252(tags).toStdString();
}

}  // namespace lyricanvas
