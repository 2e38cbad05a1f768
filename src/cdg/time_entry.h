#pragma once
// Time entries of the creation tab: "MM:SS,HH or SSS,HH".
#include <string>

namespace lyricanvas {

bool Is_Valid_Time(const std::string& text);
/// Seconds; callers check Is_Valid_Time first.
double Parse_Time(const std::string& text);

}  // namespace lyricanvas
