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

void Print_Usage(std::FILE* out) {
  std::fprintf(out, "usage: lyricanvas-cli VERB [options]\n\nverbs:\n");
  for (const auto& verb : lyricanvas::cli::Verbs())
    std::fprintf(out, "  %s\n", verb.usage.c_str());
  std::fprintf(out, "\nlyricanvas-cli VERB --help lists the options of a verb; --version prints "
                    "the version.\n");
}

}  // namespace

int main(int argc, char** argv) {
  lyricanvas::Prepare_Headless_Environment();
  // Qt takes its own options (-reverse, -platform, ...) out of argv; the verbs get them all.
  const std::vector<std::string> words(argv, argv + argc);
  int qt_argc = 1;
  QGuiApplication app(qt_argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("lyricanvas-cli"));
  QCoreApplication::setApplicationVersion(QStringLiteral(LYRICANVAS_VERSION));
  std::string name = argc < 2 ? "" : argv[1];
  if (name == "--version" || name == "-v") {
    std::printf("lyricanvas-cli %s\n", LYRICANVAS_VERSION);
    return 0;
  }
  if (argc < 2 || name == "--help" || name == "-h") {
    Print_Usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const auto& verb : lyricanvas::cli::Verbs())
    if (verb.name == name) return verb.run(std::vector<std::string>(words.begin() + 2, words.end()));
  std::fprintf(stderr, "lyricanvas-cli: unknown verb '%s'\n", name.c_str());
  Print_Usage(stderr);
  return 2;
}
