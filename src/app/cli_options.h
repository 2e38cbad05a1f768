#pragma once
// The words of one verb of lyricanvas-cli, read with QCommandLineParser: every verb gets
// --help (each option with a sentence and its accepted values), --version, and the parser's
// messages with exit status 2 for unknown options and missing values. The value checkers below
// answer a bad value with a message naming the option and the value, before anything is read,
// asked or written.
//
// Arguments are bytes: they are handed to the parser one byte per character, so a file name
// that is not UTF-8 comes back from Value() exactly as it was given.
//
// A verb reads its words like this:
//   Verb_Parser words("frame", "Writes the display of a .cdg file at one time as PNG.");
//   words.Add_Positional("FILE.cdg", "The pack stream to show.");
//   words.Add_Option({"at"}, "TIME", "The time to show. " + Time_Forms);
//   if (std::optional<int> exit = words.Parse(args)) return *exit;
//   std::optional<double> at = words.Time("at", Time_Bounds{});
//   if (!words.Ok()) return words.Usage_Error();
//
// A verb that writes a file names its option "output" (with "o" for short). It then gets --yes
// (unless it has its own), and Parse checks the output against every other word: it must not be
// a directory, device or FIFO, nor the same file as an input or any other value, nor an existing
// file without --yes. Such a problem is reported by Usage_Error() after any usage problem, with
// Exit_Failure.
#include <QCommandLineParser>
#include <optional>
#include <string>
#include <vector>

namespace lyricanvas::cli {

constexpr int Exit_Failure = 1;  ///< the work could not be done; the message says why
constexpr int Exit_Usage = 2;    ///< the command line is wrong

/// How the time values are written, for option descriptions.
inline const std::string Time_Forms =
    "A time is SECONDS or MINUTES:SECONDS, with hundredths after a ',' or '.' "
    "(90, 90,5, 1:30, 1:30.50).";

/// The range of a time value, in seconds. Times are never negative and stay below 100 minutes,
/// the longest track a CD image holds with room to spare.
struct Time_Bounds {
  double minimum = 0;
  bool above_minimum = false;  ///< the minimum itself is refused (a length of 0, a step of 0)
  double maximum = 6000;       ///< refused, as is anything above
};

/// Seconds of a time in the forms of the creation tab's time boxes (Time_Forms), or
/// std::nullopt with `why` saying what is wrong with it.
std::optional<double> Checked_Time(const std::string& text, const Time_Bounds& bounds,
                                   std::string& why);
/// A whole number from minimum to maximum written in decimal digits and nothing else.
std::optional<int> Checked_Integer(const std::string& text, int minimum, int maximum,
                                   std::string& why);

class Verb_Parser {
 public:
  Verb_Parser(std::string verb, const std::string& description);

  void Add_Positional(const std::string& name, const std::string& description);
  /// An option with a value when value_name is not empty. names are without dashes; one
  /// letter makes a short option.
  void Add_Option(const std::vector<std::string>& names, const std::string& value_name,
                  const std::string& description);
  void Add_Flag(const std::vector<std::string>& names, const std::string& description);
  /// --force, for a verb that reads a project through Reading_Ui(Is_Set("force")).
  void Add_Force(const std::string& description = "Uses what an incomplete project or MIDI "
                                                  "file holds; without it such a file is refused.");

  /// Reads the words. std::nullopt to go on; otherwise the run ends with that exit status
  /// (0 after --help or --version, Exit_Usage after the parser's message).
  std::optional<int> Parse(const std::vector<std::string>& args);

  bool Is_Set(const std::string& name) const;
  /// The last value given to an option, as the bytes given.
  std::optional<std::string> Value(const std::string& name) const;
  std::vector<std::string> Values(const std::string& name) const;
  std::vector<std::string> Positionals() const;

  /// Checked values of an option: std::nullopt when it is not given or its value is bad; a bad
  /// value is remembered (the first one) for Usage_Error().
  std::optional<double> Time(const std::string& name, const Time_Bounds& bounds);
  std::optional<int> Integer(const std::string& name, int minimum, int maximum);
  /// One of the choices, spelled as listed.
  std::optional<std::string> Choice(const std::string& name,
                                    const std::vector<std::string>& choices);
  /// Remembers a usage problem found by the verb itself (the first one counts).
  void Reject(const std::string& message);
  /// The verb asks itself before it replaces an existing output, so Parse does not refuse one.
  void Ask_Before_Replacing() { verb_asks_ = true; }

  bool Ok() const { return problem_.empty() && file_problem_.empty(); }
  /// Prints the remembered usage problem (or `message`) and the usage line and returns
  /// Exit_Usage; without one, prints the problem with the output and returns Exit_Failure.
  int Usage_Error(const std::string& message = {}) const;
  /// Prints "lyricanvas-cli VERB: message"; returns Exit_Failure.
  int Failure(const std::string& message) const;

 private:
  std::string Usage_Line() const;
  void Check_Output();

  std::string verb_;
  QCommandLineParser parser_;
  std::vector<std::string> value_options_;  ///< the first name of each option with a value
  bool has_yes_ = false;
  bool verb_asks_ = false;
  std::string problem_;
  std::string file_problem_;
};

/// "a", "b" or "c": the choices quoted, for messages and descriptions.
std::string Quoted_Choices(const std::vector<std::string>& choices);

}  // namespace lyricanvas::cli
