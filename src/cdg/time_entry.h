#pragma once
// Time entries of the creation tab: "MM:SS,HH or SSS,HH". Minutes end with m : ' or ´, seconds
// with s , or . and the digits after a second mark are a decimal fraction; a leading minus
// makes the time negative. The text is UTF-8 (´ may also come as the single byte 0xB4).
#include <string>

namespace lyricanvas {

bool Is_Valid_Time(const std::string& text);
/// Seconds; callers check Is_Valid_Time first.
double Parse_Time(const std::string& text);
/// The leading number of a text, blanks ignored ("" and text without a number give 0).
double Val(const std::string& text);

}  // namespace lyricanvas
