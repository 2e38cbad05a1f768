#include "cdg/time_entry.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace lyricanvas {

namespace {

enum class Char_Class { Digit, Minute_Mark, Second_Mark, Minus, Other };

/// Class of the character at byte i and the number of bytes it takes.
std::pair<Char_Class, std::size_t> Classify(const std::string& text, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  if (c >= '0' && c <= '9') return {Char_Class::Digit, 1};
  if (c == 'm' || c == ':' || c == '\'' || c == 0xB4) return {Char_Class::Minute_Mark, 1};
  if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xB4)
    return {Char_Class::Minute_Mark, 2};  // ´ in UTF-8
  if (c == 's' || c == ',' || c == '.') return {Char_Class::Second_Mark, 1};
  if (c == '-') return {Char_Class::Minus, 1};
  return {Char_Class::Other, 1};
}

/// The number written by a run of digits (0 for none).
double Digits_Value(const std::string& digits) {
  double value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

bool Begins_With_Minus(const std::string& text) {
  std::size_t first = text.find_first_not_of(' ');
  return first != std::string::npos && text[first] == '-';
}

}  // namespace

bool Is_Valid_Time(const std::string& text) {
  if (text.empty()) return false;
  bool minute_seen = false, second_seen = false, minus_seen = false;
  for (std::size_t i = 0; i < text.size();) {
    auto [kind, width] = Classify(text, i);
    i += width;
    switch (kind) {
      case Char_Class::Digit: break;
      case Char_Class::Minute_Mark:
        if (minute_seen || second_seen) return false;
        minute_seen = true;
        break;
      case Char_Class::Second_Mark:
        if (second_seen) return false;
        second_seen = true;
        break;
      case Char_Class::Minus:
        if (minus_seen) return false;
        minus_seen = true;
        break;
      case Char_Class::Other: return false;
    }
  }
  return true;
}

double Parse_Time(const std::string& text) {
  double minutes = 0, seconds = 0, fraction = 0;
  bool second_mark = false;
  std::string digits;
  for (std::size_t i = 0; i < text.size();) {
    auto [kind, width] = Classify(text, i);
    if (kind == Char_Class::Digit) digits += text[i];
    if (kind == Char_Class::Minute_Mark) {
      minutes = std::nearbyint(Digits_Value(digits));
      digits.clear();
    }
    if (kind == Char_Class::Second_Mark) {
      seconds = std::nearbyint(Digits_Value(digits));
      digits.clear();
      second_mark = true;
    }
    i += width;
  }
  if (second_mark)
    fraction = digits.empty() ? 0 : std::strtod(("0." + digits).c_str(), nullptr);
  else
    seconds = std::nearbyint(Digits_Value(digits));
  double value = minutes * 60 + seconds + fraction;
  return Begins_With_Minus(text) ? -value : value;
}

double Val(const std::string& text) {
  std::string number;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    bool sign = (c == '-' || c == '+') && number.empty();
    bool point = c == '.' && number.find('.') == std::string::npos;
    if (!sign && !point && (c < '0' || c > '9')) break;
    number += c;
  }
  return std::strtod(number.c_str(), nullptr);
}

}  // namespace lyricanvas
