#pragma once
// A picture's appearance properties: the run of tags in its picture field that says how and when
// it appears, read and written in one place.
#include <array>
#include <string>
#include <string_view>

namespace lyricanvas {

/// The appearance effects in the order the picture dialog lists them.
constexpr std::array<std::string_view, 5> Appearance_Effects{
    "Left to right", "Top to bottom", "Circle out", "Oval out", "Lightest to darkest"};

/// The values of one property string, as text ("0", "1", "2" for the check boxes).
struct Picture_Properties_Rec {
  std::string Appearance_effect;
  std::string filename;
  std::string along_with_lyrics = "0";
  std::string hold_time;
  std::string right_after_lyrics = "0";
  std::string overwrite_last_screen = "0";
  std::string dither_picture = "1";
  std::string reverse_effect = "0";
  bool operator==(const Picture_Properties_Rec&) const = default;
};

/// Reads every key of a property string; absent keys read "".
Picture_Properties_Rec Read_Picture_Properties(std::string_view properties);
/// The property string with every key in the dialog's order.
std::string Build_Picture_Properties(const Picture_Properties_Rec& rec);
std::string Get_Appearance_Effect(std::string_view properties);
/// True when the key's value is exactly "1".
bool Property_Is_Set(std::string_view properties, std::string_view key);
/// The hold time in seconds when it is a number, else 0.
double Hold_Seconds(std::string_view properties);
/// The one-line description a listing shows.
std::string Describe_Picture_Properties(std::string_view properties);

}  // namespace lyricanvas
