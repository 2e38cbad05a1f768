#pragma once
// The verbs of lyricanvas-cli. Each verb lives in its own cli_<verb>.cpp and registers itself.
#include <functional>
#include <string>
#include <vector>

namespace lyricanvas::cli {

using Verb = std::function<int(const std::vector<std::string>& args)>;

struct Verb_Entry {
  std::string name;
  std::string usage;  ///< one line for the help text
  Verb run;
};

/// Registers a verb; used from a static object in each verb's file.
bool Register_Verb(Verb_Entry entry);
const std::vector<Verb_Entry>& Verbs();

}  // namespace lyricanvas::cli
