// Building the text of the places statements. Text values are written as
// SQL string literals in single quotes with every single quote doubled, so
// that no title or URL can end its literal or be read as a column name.
#ifndef MARKSAFE_FIREFOX_SQL_TEXT_H_
#define MARKSAFE_FIREFOX_SQL_TEXT_H_

#include <initializer_list>
#include <string>

namespace marksafe {
namespace firefox {

// text as an SQL string literal: 'it''s'.
std::u16string SqlLiteral(const std::u16string& text);

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
