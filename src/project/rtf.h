#pragma once
// Rich text to and from RTF: fonts, colours, sizes, bold/italic/underline, paragraph alignment
// and embedded pictures, so projects keep their formatting and open in word processors.
//
// Pictures are written as "Paint.Picture" objects whose object data is a 31-byte OLE1 header
// followed by the BMP file (the form the picture extraction reads back), with a PNG rendering in
// the object's result so that other RTF readers show the picture too.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/document.h"

namespace lyricanvas {

/// The RTF of a document; pictures become embedded objects.
std::string Write_Rtf(const Document& doc);

/// Replaces the document's content by the RTF. On failure the document is unchanged, false is
/// returned and error says why. A file that only lacks the closing brace of its outermost group
/// is read (word processors accept it); one that ends inside any inner group is refused.
/// Pictures (\pict in PNG, JPEG or device-independent bitmap form, and embedded picture
/// objects) become pictures of the document; a metafile or damaged picture still takes its
/// character as a picture without bytes, and warning (when given) then says so once.
bool Read_Rtf(Document& doc, std::string_view rtf, std::string& error,
              std::string* warning = nullptr);

/// Whether bytes start like an RTF file ("{\rtf").
bool Looks_Like_Rtf(std::string_view bytes);

/// Length of the header in front of the BMP file in a written picture object's data.
constexpr int Picture_Object_Header_Size = 31;

/// The character of a Windows-1252 byte (the five bytes the code page leaves undefined map to
/// the C1 controls of the same value).
char16_t Windows_1252_To_Unicode(std::uint8_t byte);

/// The Windows-1252 byte of a character, or -1 when the code page has none.
int Unicode_To_Windows_1252(char16_t c);

}  // namespace lyricanvas
