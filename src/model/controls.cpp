#include "model/controls.h"

#include <algorithm>
#include <cassert>

namespace lyricanvas {

namespace {

Control Text_Box(std::string name, std::string value = "", int index = -1) {
  return Control{std::move(name), index, Control_Kind::Text, std::move(value), {}, false, true};
}

Control Check_Box(std::string name, int value = 0) {
  return Control{std::move(name), -1, Control_Kind::Check, std::to_string(value), {}, false, true};
}

Control Combo_Box(std::string name, std::vector<std::string> items, std::string value,
                  bool list_only) {
  return Control{std::move(name), -1, Control_Kind::Combo, std::move(value), std::move(items),
                 list_only, true};
}

}  // namespace

Controls::Controls() {
  // Lyrics entry tab: font and singer of the selection.
  controls_.push_back(Combo_Box("Com_Font", {}, "Times New Roman", false));
  controls_.push_back(Text_Box("Txt_FontSize", "20"));
  controls_.push_back(Check_Box("Chk_Bold"));
  controls_.push_back(Check_Box("chk_italic"));
  controls_.push_back(Check_Box("Chk_Underline"));
  controls_.push_back(Combo_Box("Com_Color",
                                {"0 - fixed", "1 - solo / both", "2 - male", "3 - female",
                                 "4 - Singer 4", "5 - Singer 5", "6 - Singer 6", "7 - Singer 7"},
                                "1 - solo / both", true));
  // Lyrics swiping tab.
  controls_.push_back(Check_Box("Chk_HalfSpeed"));
  controls_.push_back(Check_Box("Chk_AutoScroll", 1));
  controls_.push_back(Check_Box("Chk_Replay", 1));
  controls_.push_back(Check_Box("Chk_MouseTimer"));
  controls_.push_back(Text_Box("Txt_GoBack", "5"));
  controls_.push_back(Check_Box("Chk_Tabmode"));
  controls_.push_back(Text_Box("Txt_Time", "0:00"));
  controls_.push_back(Text_Box("Txt_KeyDelay", "0"));  // ms taken off every key time
  // CD+G Creation tab.
  for (int i = 0; i <= 2; ++i) controls_.push_back(Text_Box("txt_Filename", "", i));
  controls_.push_back(Text_Box("Txt_TotalTime"));
  controls_.push_back(Text_Box("txt_lines_on_screen", "6"));
  controls_.push_back(Text_Box("txt_Minimum_gap", "4"));
  controls_.push_back(Text_Box("txt_Minimum_shown", "4"));
  controls_.push_back(Text_Box("Txt_Silence", "0"));
  controls_.push_back(Check_Box("chk_Adjust"));
  for (int i = 1; i <= 3; ++i) controls_.push_back(Text_Box("Txt_Source", "", i));
  for (int i = 1; i <= 3; ++i) controls_.push_back(Text_Box("Txt_Dest", "", i));
  controls_.push_back(Combo_Box("Com_WipingStyle",
                                {"Swipe text body only", "Swipe text body & outline",
                                 "Swap text body & outline", "Draw no outline"},
                                "Swipe text body only", true));
  controls_.push_back(Combo_Box("Com_FadingStyle", {"Smooth fading", "Cheap DVD fading", "None"},
                                "Cheap DVD fading", true));
  controls_.push_back(Check_Box("Chk_Reverse"));
  controls_.push_back(Check_Box("Chk_Blank"));
  controls_.push_back(Check_Box("chk_framerate"));
  // Project handling tab.
  controls_.push_back(Check_Box("Chk_Store_Pictures", 1));
  controls_.push_back(Check_Box("Chk_incremental_save"));
}

Control* Controls::Find(const std::string& name, int index) {
  auto it = std::find_if(controls_.begin(), controls_.end(), [&](const Control& c) {
    return c.Name == name && c.Index == index;
  });
  return it == controls_.end() ? nullptr : &*it;
}

const Control* Controls::Find(const std::string& name, int index) const {
  return const_cast<Controls*>(this)->Find(name, index);
}

std::string Controls::Text(const std::string& name, int index) const {
  const Control* c = Find(name, index);
  return c ? c->Value : std::string();
}

bool Controls::Set_Text(const std::string& name, const std::string& value) {
  return Set_Text(name, -1, value);
}

bool Controls::Set_Text(const std::string& name, int index, const std::string& value) {
  Control* c = Find(name, index);
  if (!c) return false;
  if (c->List_Only && std::find(c->Items.begin(), c->Items.end(), value) == c->Items.end())
    return false;
  c->Value = value;
  return true;
}

int Controls::Check(const std::string& name, int index) const {
  const Control* c = Find(name, index);
  if (!c || c->Value.empty()) return 0;
  return std::atoi(c->Value.c_str());
}

void Controls::Set_Check(const std::string& name, int value, int index) {
  Control* c = Find(name, index);
  assert(c && "unknown check box");
  if (c) c->Value = std::to_string(value);
}

std::string Controls::Key(const Control& control) {
  return control.Index < 0 ? control.Name : control.Name + "_" + std::to_string(control.Index);
}

std::string Get_Property(std::string_view properties, std::string_view key) {
  std::string tag = "<" + std::string(key) + "=";
  std::size_t p = properties.find(tag);
  if (p == std::string_view::npos) return {};
  std::size_t start = p + tag.size();
  std::size_t end = properties.find('>', start);
  if (end == std::string_view::npos) return {};
  return std::string(properties.substr(start, end - start));
}

}  // namespace lyricanvas
