// A prepared statement with bound parameters. Values never become part of
// the SQL text: they travel as parameters ("?" in the text), so no title or
// URL can change what a statement does.
#ifndef MARKSAFE_STORES_PLACES_SQLITE_STATEMENT_H_
#define MARKSAFE_STORES_PLACES_SQLITE_STATEMENT_H_

#include <cstdint>
#include <initializer_list>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace marksafe {
namespace SQLite {

// One parameter value: SQL NULL, an integer or text.
class Value {
 public:
  enum class Kind { kNull, kInteger, kText };
  Value() = default;
  Value(std::nullptr_t) {}  // NOLINT
  // Integers of every width (int64_t is long on some systems and long long
  // on others).
  Value(int value) : kind_(Kind::kInteger), integer_(value) {}   // NOLINT
  Value(long value) : kind_(Kind::kInteger), integer_(value) {}  // NOLINT
  Value(long long value)                                         // NOLINT
      : kind_(Kind::kInteger), integer_(static_cast<int64_t>(value)) {}
  Value(const std::u16string& text);  // NOLINT
  // Text already in UTF-8.
  static Value Utf8(std::string text);

  Kind kind() const { return kind_; }
  int64_t integer() const { return integer_; }
  const std::string& text() const { return text_; }

 private:
  Kind kind_ = Kind::kNull;
  int64_t integer_ = 0;
  std::string text_;  // UTF-8
};

class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Compiles sql (UTF-8) on connection. Returns SQLite's result code.
  int Prepare(sqlite3* connection, const char* sql);
  bool Prepared() const { return statement_ != nullptr; }

  // Forgets the previous run and its bindings, then binds values to the
  // parameters 1, 2, ... in order. Returns SQLite's result code.
  int Bind(std::initializer_list<Value> values);

  // One step: SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();

  // Columns of the current row (after Step gave SQLITE_ROW).
  bool IsNull(int column) const;
  int64_t Integer(int column) const;
  std::u16string Text(int column) const;
  std::string Utf8(int column) const;

  // Ends the run so that the statement holds no lock; bindings stay.
  void Reset();

 private:
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace SQLite
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_SQLITE_STATEMENT_H_
