#pragma once
// Rich text to and from RTF: fonts, colours, sizes, bold/italic/underline, paragraph alignment
// and embedded pictures, so projects keep their formatting and open in word processors.
#include <string>
#include <string_view>

#include "model/document.h"

namespace lyricanvas {

/// The RTF of a document; pictures become embedded objects unless with_pictures is false.
std::string Write_Rtf(const Document& doc, bool with_pictures = true);

/// Replaces the document's content by the RTF. On failure the document is unchanged, false is
/// returned and error says why.
bool Read_Rtf(Document& doc, std::string_view rtf, std::string& error);

/// Whether bytes start like an RTF file ("{\rtf").
bool Looks_Like_Rtf(std::string_view bytes);

}  // namespace lyricanvas
