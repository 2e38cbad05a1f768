#include <cctype>

#include "project/project_file.h"

namespace lyricanvas {

std::string Next_Incremental_Name(const std::string& name) {
  const std::size_t n = name.size();
  if (n > 8 && name[n - 8] == '_' &&
      std::isdigit(static_cast<unsigned char>(name[n - 7])) &&
      std::isdigit(static_cast<unsigned char>(name[n - 6])) &&
      std::isdigit(static_cast<unsigned char>(name[n - 5]))) {
    int v = std::stoi(name.substr(n - 7, 3));
    if (v == 999) v = -1;
    std::string number = std::to_string(v + 1);
    number.insert(0, 3 - std::min<std::size_t>(3, number.size()), '0');
    return name.substr(0, n - 8) + "_" + number + ".cgp";
  }
  return name.substr(0, n >= 4 ? n - 4 : 0) + "_001.cgp";
}

}  // namespace lyricanvas
