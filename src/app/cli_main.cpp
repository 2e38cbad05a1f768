// lyricanvas-cli: the headless command-line tool. Each verb is a cli_<verb>.cpp of its own.
#include <QGuiApplication>
#include <cstdio>

#include "app/cli.h"
#include "model/headless.h"

namespace lyricanvas::cli {

std::vector<Verb_Entry>& Verb_Table() {
  static std::vector<Verb_Entry> table;
  return table;
}

bool Register_Verb(Verb_Entry entry) {
  Verb_Table().push_back(std::move(entry));
  return true;
}

const std::vector<Verb_Entry>& Verbs() { return Verb_Table(); }

}  // namespace lyricanvas::cli

namespace {

void Print_Usage() {
  std::fprintf(stderr, "usage: lyricanvas-cli VERB [options]\n\nverbs:\n");
  for (const auto& verb : lyricanvas::cli::Verbs())
    std::fprintf(stderr, "  %s\n", verb.usage.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  lyricanvas::Prepare_Headless_Environment();
  QGuiApplication app(argc, argv);
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    Print_Usage();
    return argc < 2 ? 2 : 0;
  }
  std::string name = argv[1];
  for (const auto& verb : lyricanvas::cli::Verbs())
    if (verb.name == name) return verb.run(std::vector<std::string>(argv + 2, argv + argc));
  std::fprintf(stderr, "lyricanvas-cli: unknown verb '%s'\n", name.c_str());
  Print_Usage();
  return 2;
}
