#pragma once
// The option store: every saved control of the main window in one ordered table. The order is
// the collection order in which project files write and read the controls; the GUI binds its
// widgets to the entries, the core and the command-line tool read and write them directly.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lyricanvas {

enum class Control_Kind { Text, Combo, Check, Option };

struct Control {
  std::string Name;
  int Index = -1;  ///< member of a control array, or -1
  Control_Kind Kind = Control_Kind::Text;
  std::string Value;               ///< text, or "0"/"1"/"2" for a check box, "True"/"False" for an option
  std::vector<std::string> Items;  ///< list entries of a combo box
  bool List_Only = false;          ///< a combo box whose text must be one of its items
  bool Enabled = true;
  bool operator==(const Control&) const = default;
};

class Controls {
 public:
  /// The main window's controls with their start-up values.
  Controls();

  const std::vector<Control>& All() const { return controls_; }
  Control* Find(const std::string& name, int index = -1);
  const Control* Find(const std::string& name, int index = -1) const;

  /// Text of a text or combo box ("" when there is no such control).
  std::string Text(const std::string& name, int index = -1) const;
  /// Sets a text; a list-only combo box refuses a value that is not among its items.
  bool Set_Text(const std::string& name, const std::string& value);
  bool Set_Text(const std::string& name, int index, const std::string& value);
  /// Value of a check box (0 unchecked, 1 checked, 2 grayed).
  int Check(const std::string& name, int index = -1) const;
  void Set_Check(const std::string& name, int value, int index = -1);
  bool Checked(const std::string& name, int index = -1) const { return Check(name, index) == 1; }

  /// The key a project file uses: the name, or name + "_" + index for an array member.
  static std::string Key(const Control& control);

  bool operator==(const Controls&) const = default;

 private:
  std::vector<Control> controls_;
};

/// The value of the first tag "<" + key + "=" ... ">" in a run of tags (project properties or a
/// picture's property string); "" when the key is absent or no ">" follows. The leading "<"
/// keeps a key from matching the tail of a longer key.
std::string Get_Property(std::string_view properties, std::string_view key);

}  // namespace lyricanvas
