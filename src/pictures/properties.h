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

/// The controls of the picture dialog: the effect list's text, the hold time box, and the check
/// boxes as 0 unchecked, 1 checked, 2 grayed.
struct Picture_Dialog_Values {
  std::string effect;
  std::string hold_time;
  int along = 0;
  int after = 0;
  int overwrite = 0;
  int dither = 1;
  int reverse = 0;
  std::string file;  ///< the picture file the dialog edits
  bool operator==(const Picture_Dialog_Values&) const = default;
};

/// The controls for a property string: a check box is checked exactly when its value is "1",
/// except dithering, which is also on when the key is absent. A file named in the string
/// replaces current_file.
Picture_Dialog_Values Load_Picture_Dialog(std::string_view properties,
                                          const std::string& current_file);
/// The property string the dialog's OK writes.
std::string Picture_Dialog_Properties(const Picture_Dialog_Values& values);
/// What Cancel leaves: a new picture (empty properties) keeps its file and nothing else.
std::string Cancel_Picture_Dialog(const std::string& properties, const std::string& file);

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
