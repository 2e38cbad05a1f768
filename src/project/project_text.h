#pragma once
// Text of outside files: UTF-8 where it is valid, Windows-1252 otherwise (files written by
// older versions and by other programs on the same kind of system).
#include <QString>
#include <string>
#include <string_view>

namespace lyricanvas {

bool Is_Valid_Utf8(std::string_view bytes);
/// Every byte as its Windows-1252 character.
QString Decode_Windows_1252(std::string_view bytes);
/// UTF-8 (a leading byte-order mark dropped) when valid, Windows-1252 otherwise.
QString Decode_Text(std::string_view bytes);

/// A project's properties section as kept in memory: an optional leading byte 254, then the tags
/// in UTF-8 (converted from Windows-1252 when they are not valid UTF-8).
std::string Decode_Properties(std::string_view raw);
/// The properties section as written: Windows-1252, which programs reading the file byte by
/// byte expect, when every character has a byte there; UTF-8 when one has not, or when the
/// Windows-1252 bytes would read back as other UTF-8 text.
std::string Encode_Properties(const std::string& properties);

}  // namespace lyricanvas
