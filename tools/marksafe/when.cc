#include "when.h"

#include <cctype>

namespace marksafe_cli {
namespace {

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// "YYYY-MM-DD" in shape (the list's own dates decide whether one matches).
bool LooksLikeDate(const std::string& text) {
  return text.size() == 10 && text[4] == '-' && text[7] == '-' &&
         AllDigits(text.substr(0, 4)) && AllDigits(text.substr(5, 2)) &&
         AllDigits(text.substr(8, 2));
}

// Seconds of "3d", "12h", "2w"; nullopt for anything else.
std::optional<int64_t> Duration(const std::string& text) {
  if (text.size() < 2 || text.size() > 8) return std::nullopt;
  const std::string number = text.substr(0, text.size() - 1);
  if (!AllDigits(number)) return std::nullopt;
  const int64_t n = std::stoll(number);
  switch (std::tolower(static_cast<unsigned char>(text.back()))) {
    case 'h': return n * 3600;
    case 'd': return n * 86400;
    case 'w': return n * 7 * 86400;
    default: return std::nullopt;
  }
}

std::string Oldest(const std::vector<Dated>& all) {
  return all.empty() ? "there is none"
                     : "the oldest is " + all.front().name + " of " +
                           all.front().date;
}

}  // namespace

std::optional<size_t> PickWhen(const std::vector<Dated>& all,
                               const std::string& when, int64_t now,
                               std::string* why) {
  std::optional<size_t> found;
  if (LooksLikeDate(when)) {
    // Dates "YYYY-MM-DD" compare as text in time order.
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].date <= when) found = i;
    }
    if (!found) *why = "none of " + when + " or before; " + Oldest(all);
    return found;
  }
  if (const std::optional<int64_t> age = Duration(when)) {
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].time <= now - *age) found = i;
    }
    if (!found) *why = "none at least " + when + " old; " + Oldest(all);
    return found;
  }
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].name == when) found = i;
  }
  if (!found) {
    *why = "\"" + when +
           "\" is no date (YYYY-MM-DD), age (3d, 12h, 2w) or name of one";
  }
  return found;
}

}  // namespace marksafe_cli
