#include "pictures/properties.h"

#include <algorithm>
#include <cstdlib>

#include "model/controls.h"

namespace lyricanvas {

namespace {

constexpr double Longest_Hold_Seconds = 24 * 3600;

std::string Tag(std::string_view key, const std::string& value) {
  return "<" + std::string(key) + "=" + value + ">";
}

}  // namespace

Picture_Properties_Rec Read_Picture_Properties(std::string_view properties) {
  Picture_Properties_Rec rec;
  rec.Appearance_effect = Get_Property(properties, "Appearance_effect");
  rec.filename = Get_Property(properties, "filename");
  rec.along_with_lyrics = Get_Property(properties, "along_with_lyrics");
  rec.hold_time = Get_Property(properties, "hold_time");
  rec.right_after_lyrics = Get_Property(properties, "right_after_lyrics");
  rec.overwrite_last_screen = Get_Property(properties, "overwrite_last_screen");
  rec.dither_picture = Get_Property(properties, "dither_picture");
  rec.reverse_effect = Get_Property(properties, "reverse_effect");
  return rec;
}

std::string Build_Picture_Properties(const Picture_Properties_Rec& rec) {
  return Tag("Appearance_effect", rec.Appearance_effect) + Tag("filename", rec.filename) +
         Tag("along_with_lyrics", rec.along_with_lyrics) + Tag("hold_time", rec.hold_time) +
         Tag("right_after_lyrics", rec.right_after_lyrics) +
         Tag("overwrite_last_screen", rec.overwrite_last_screen) +
         Tag("dither_picture", rec.dither_picture) + Tag("reverse_effect", rec.reverse_effect);
}

Picture_Dialog_Values Load_Picture_Dialog(std::string_view properties,
                                          const std::string& current_file) {
  const Picture_Properties_Rec rec = Read_Picture_Properties(properties);
  auto checked = [](const std::string& value) { return value == "1" ? 1 : 0; };
  Picture_Dialog_Values values;
  values.effect = rec.Appearance_effect;
  values.hold_time = rec.hold_time;
  values.along = checked(rec.along_with_lyrics);
  values.after = checked(rec.right_after_lyrics);
  values.overwrite = checked(rec.overwrite_last_screen);
  values.dither = rec.dither_picture.empty() ? 1 : checked(rec.dither_picture);
  values.reverse = checked(rec.reverse_effect);
  values.file = rec.filename.empty() ? current_file : rec.filename;
  return values;
}

std::string Picture_Dialog_Properties(const Picture_Dialog_Values& values) {
  Picture_Properties_Rec rec;
  rec.Appearance_effect = values.effect;
  rec.filename = values.file;
  rec.along_with_lyrics = std::to_string(values.along);
  rec.hold_time = values.hold_time;
  rec.right_after_lyrics = std::to_string(values.after);
  rec.overwrite_last_screen = std::to_string(values.overwrite);
  rec.dither_picture = std::to_string(values.dither);
  rec.reverse_effect = std::to_string(values.reverse);
  return Build_Picture_Properties(rec);
}

std::string Cancel_Picture_Dialog(const std::string& properties, const std::string& file) {
  return properties.empty() ? Tag("filename", file) : properties;
}

std::string Get_Appearance_Effect(std::string_view properties) {
  return Get_Property(properties, "Appearance_effect");
}

bool Property_Is_Set(std::string_view properties, std::string_view key) {
  return Get_Property(properties, key) == "1";
}

double Hold_Seconds(std::string_view properties) {
  const std::string text = Get_Property(properties, "hold_time");
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  // Only a number counts; text, or a hold of no length, holds nothing. A hold longer than the
  // longest track is cut to it, so that it cannot overflow the pack position.
  if (text.empty() || end != text.c_str() + text.size() || !(seconds > 0)) return 0;
  return std::min(seconds, Longest_Hold_Seconds);
}

std::string Describe_Picture_Properties(std::string_view properties) {
  const Picture_Properties_Rec rec = Read_Picture_Properties(properties);
  std::string text = "effect \"" + rec.Appearance_effect + "\", hold \"" + rec.hold_time + "\"";
  if (rec.along_with_lyrics == "1") text += ", along with lyrics";
  if (rec.right_after_lyrics == "1") text += ", right after last screen";
  if (rec.overwrite_last_screen == "1") text += ", overwrites last screen";
  if (rec.dither_picture == "0") text += ", not dithered";
  if (rec.reverse_effect == "1") text += ", reversed";
  return text + ", file \"" + rec.filename + "\"";
}

}  // namespace lyricanvas
