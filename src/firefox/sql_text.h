// Building the text of the fixed counting statements, and reading ids.
// Titles and URLs never go into statement text: they are bound as
// parameters of prepared statements (sqlite/statement.h).
#ifndef MARKSAFE_FIREFOX_SQL_TEXT_H_
#define MARKSAFE_FIREFOX_SQL_TEXT_H_

#include <initializer_list>
#include <string>

namespace marksafe {
namespace firefox {

// One value for FormatSql: text (inserted unchanged) or a number.
class SqlArg {
 public:
  SqlArg(const std::u16string& text) : text_(text) {}  // NOLINT
  SqlArg(const char16_t* text) : text_(text) {}        // NOLINT
  SqlArg(int value);                                   // NOLINT
  SqlArg(long long value);                             // NOLINT
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
};

// Fills the placeholders of format in order: %s and %d take the next
// argument's text, %% gives one "%". A placeholder without an argument
// gives nothing.
std::u16string FormatSql(const char16_t* format,
                         std::initializer_list<SqlArg> args);

// The leading decimal digits of text (an optional "-" first) as a number;
// 0 when there are none.
long long LeadingNumber(const std::u16string& text);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_SQL_TEXT_H_
