#include "app/cli_options.h"

#include <QCoreApplication>
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "app/cli_files.h"
#include "cdg/time_entry.h"

namespace lyricanvas::cli {

namespace {

// Arguments travel through the parser one byte per character (see the header).
QString From_Bytes(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string To_Bytes(const QString& text) { return text.toLatin1().toStdString(); }

QStringList Names(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& name : names) list << QString::fromStdString(name);
  return list;
}

std::string Clock_Text(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%05.2f", static_cast<int>(seconds / 60),
                seconds - 60 * static_cast<int>(seconds / 60));
  return text;
}

std::string Dashed(const std::string& name) { return (name.size() == 1 ? "-" : "--") + name; }

}  // namespace

std::optional<double> Checked_Time(const std::string& text, const Time_Bounds& bounds,
                                   std::string& why) {
  bool has_digit = std::ranges::any_of(text, [](char c) { return c >= '0' && c <= '9'; });
  if (!has_digit || !Is_Valid_Time(text) || text.find('-') != std::string::npos) {
    why = "is not a time";
    return std::nullopt;
  }
  double seconds = Parse_Time(text);
  bool too_small = bounds.above_minimum ? seconds <= bounds.minimum : seconds < bounds.minimum;
  if (too_small || seconds >= bounds.maximum) {
    why = "is outside the range " + std::string(bounds.above_minimum ? "above " : "from ") +
          Clock_Text(bounds.minimum) + " to below " + Clock_Text(bounds.maximum);
    return std::nullopt;
  }
  return seconds;
}

std::optional<int> Checked_Integer(const std::string& text, int minimum, int maximum,
                                   std::string& why) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < minimum || value > maximum) {
    why = "is not a whole number from " + std::to_string(minimum) + " to " +
          std::to_string(maximum);
    return std::nullopt;
  }
  return value;
}

std::string Quoted_Choices(const std::vector<std::string>& choices) {
  std::string list;
  for (std::size_t i = 0; i < choices.size(); ++i)
    list += (i == 0 ? "\"" : i + 1 == choices.size() ? " or \"" : ", \"") + choices[i] + "\"";
  return list;
}

Verb_Parser::Verb_Parser(std::string verb, const std::string& description)
    : verb_(std::move(verb)) {
  parser_.setApplicationDescription(QString::fromStdString(description));
  parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser_.addOption({{"h", "help"}, QStringLiteral("Shows this help and ends.")});
  parser_.addOption({{"v", "version"}, QStringLiteral("Prints the program's version and ends.")});
}

void Verb_Parser::Add_Positional(const std::string& name, const std::string& description) {
  parser_.addPositionalArgument(QString::fromStdString(name), QString::fromStdString(description));
}

void Verb_Parser::Add_Option(const std::vector<std::string>& names, const std::string& value_name,
                             const std::string& description) {
  if (!value_name.empty()) value_options_.push_back(names.back());
  if (std::ranges::find(names, "yes") != names.end()) has_yes_ = true;
  parser_.addOption(QCommandLineOption(Names(names), QString::fromStdString(description),
                                       QString::fromStdString(value_name)));
}

void Verb_Parser::Add_Flag(const std::vector<std::string>& names, const std::string& description) {
  Add_Option(names, {}, description);
}

void Verb_Parser::Add_Force(const std::string& description) { Add_Flag({"force"}, description); }

std::optional<int> Verb_Parser::Parse(const std::vector<std::string>& args) {
  bool writes = std::ranges::find(value_options_, "output") != value_options_.end();
  if (writes && !has_yes_) Add_Flag({"yes"}, "Replaces an existing output file.");
  QStringList words{QStringLiteral("lyricanvas-cli")};
  for (const std::string& arg : args) words << From_Bytes(arg);
  if (!parser_.parse(words)) return Usage_Error(To_Bytes(parser_.errorText()));
  if (parser_.isSet(QStringLiteral("help"))) {
    QString help = parser_.helpText();
    // The parser names the program by its path; the usage line names the verb too.
    help = help.mid(help.indexOf(QLatin1String(" [options]")));
    if (!help.endsWith('\n')) help += '\n';
    std::printf("Usage: lyricanvas-cli %s%s", verb_.c_str(), help.toUtf8().constData());
    return 0;
  }
  if (parser_.isSet(QStringLiteral("version"))) {
    std::printf("lyricanvas-cli %s\n", QCoreApplication::applicationVersion().toUtf8().constData());
    return 0;
  }
  if (writes) Check_Output();
  return std::nullopt;
}

void Verb_Parser::Check_Output() {
  std::optional<std::string> output = Value("output");
  if (!output) return;
  std::vector<std::string> others = Positionals();
  for (const std::string& name : value_options_)
    if (name != "output")
      for (std::string& value : Values(name)) others.push_back(std::move(value));
  file_problem_ = Output_Problem(*output, others, verb_asks_ || Is_Set("yes"));
}

bool Verb_Parser::Is_Set(const std::string& name) const {
  return parser_.isSet(QString::fromStdString(name));
}

std::optional<std::string> Verb_Parser::Value(const std::string& name) const {
  if (!Is_Set(name)) return std::nullopt;
  return To_Bytes(parser_.value(QString::fromStdString(name)));
}

std::vector<std::string> Verb_Parser::Values(const std::string& name) const {
  std::vector<std::string> values;
  for (const QString& value : parser_.values(QString::fromStdString(name)))
    values.push_back(To_Bytes(value));
  return values;
}

std::vector<std::string> Verb_Parser::Positionals() const {
  std::vector<std::string> words;
  for (const QString& word : parser_.positionalArguments()) words.push_back(To_Bytes(word));
  return words;
}

std::optional<double> Verb_Parser::Time(const std::string& name, const Time_Bounds& bounds) {
  std::optional<std::string> text = Value(name);
  if (!text) return std::nullopt;
  std::string why;
  std::optional<double> seconds = Checked_Time(*text, bounds, why);
  if (!seconds) Reject(Dashed(name) + " '" + *text + "' " + why);
  return seconds;
}

std::optional<int> Verb_Parser::Integer(const std::string& name, int minimum, int maximum) {
  std::optional<std::string> text = Value(name);
  if (!text) return std::nullopt;
  std::string why;
  std::optional<int> value = Checked_Integer(*text, minimum, maximum, why);
  if (!value) Reject(Dashed(name) + " '" + *text + "' " + why);
  return value;
}

std::optional<std::string> Verb_Parser::Choice(const std::string& name,
                                               const std::vector<std::string>& choices) {
  std::optional<std::string> text = Value(name);
  if (!text || std::ranges::find(choices, *text) != choices.end()) return text;
  Reject(Dashed(name) + " '" + *text + "' is not one of " + Quoted_Choices(choices));
  return std::nullopt;
}

void Verb_Parser::Reject(const std::string& message) {
  if (problem_.empty()) problem_ = message;
}

int Verb_Parser::Usage_Error(const std::string& message) const {
  if (message.empty() && problem_.empty()) return Failure(file_problem_);
  const std::string& text = message.empty() ? problem_ : message;
  std::fprintf(stderr, "lyricanvas-cli %s: %s\n%s\n", verb_.c_str(), text.c_str(),
               Usage_Line().c_str());
  return Exit_Usage;
}

int Verb_Parser::Failure(const std::string& message) const {
  std::fprintf(stderr, "lyricanvas-cli %s: %s\n", verb_.c_str(), message.c_str());
  return Exit_Failure;
}

std::string Verb_Parser::Usage_Line() const {
  std::string line = "usage: lyricanvas-cli " + verb_ + " [options]";
  QString help = parser_.helpText();
  // The positional names stand after "[options]" on the help's first line.
  qsizetype from = help.indexOf(QLatin1String("[options]")) + 9;
  line += help.mid(from, help.indexOf('\n') - from).toUtf8().toStdString();
  return line + "\n(lyricanvas-cli " + verb_ + " --help lists the options)";
}

}  // namespace lyricanvas::cli
