// JSON text read value by value, without a document tree: a reader of a
// large array (the records of a part's manifest) takes one element at a
// time and keeps only what it needs of it.
//
// The text is untrusted: nesting is capped, and the first error stops the
// cursor (every later call fails) with a message saying where.
#ifndef MARKSAFE_BASE_JSON_CURSOR_H_
#define MARKSAFE_BASE_JSON_CURSOR_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marksafe {

class JsonCursor {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject, kBad };

  static constexpr size_t kMaxDepth = 1000;

  explicit JsonCursor(std::string_view text) : text_(text) {}

  // The kind of the next value (blanks passed over), not consumed.
  Kind Peek();

  // Objects and arrays: Enter, then Next until it returns false (the
  // container is closed then, or the cursor failed).
  bool EnterObject();
  bool NextKey(std::string* key);  // the member's key; its value follows
  bool EnterArray();
  bool NextItem();

  // Scalars; each fails when the next value is of another kind.
  bool ReadString(std::string* out);  // UTF-8, escapes decoded
  // A number: *integer holds it when it is a whole number within int64
  // (also when written with a fraction or exponent), and *whole says so.
  bool ReadNumber(int64_t* integer, bool* whole);
  bool ReadBool(bool* out);
  // Passes over the next value, however nested.
  bool Skip();
  // The same, handing back the value's text, for a reader that can only
  // take it up later (with a cursor of its own).
  bool Skip(std::string_view* text);
  // True when nothing but blanks follows what was read.
  bool AtEnd();

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  struct Open {
    bool object;
    bool first;
  };

  bool Fail(const char* what);
  void SkipBlanks();
  bool Expect(char c);
  bool Next(bool object);
  bool ReadHex4(uint32_t* out);
  bool ReadLiteral(std::string_view word);

  std::string_view text_;
  size_t at_ = 0;
  std::vector<Open> open_;
  std::string error_;
  std::string scratch_;
};

}  // namespace marksafe

#endif  // MARKSAFE_BASE_JSON_CURSOR_H_
