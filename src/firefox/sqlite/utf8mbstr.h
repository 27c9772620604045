// A UTF-8 copy of a UTF-16 string, the form in which SQL text reaches
// SQLite.
#ifndef MARKSAFE_FIREFOX_SQLITE_UTF8MBSTR_H_
#define MARKSAFE_FIREFOX_SQLITE_UTF8MBSTR_H_

#include <string>

namespace marksafe {
namespace SQLite {

class UTF8MBSTR {
 public:
  // Converts text up to its terminator; null gives the empty string.
  explicit UTF8MBSTR(const char16_t* text);
  explicit UTF8MBSTR(const std::u16string& text);
  virtual ~UTF8MBSTR() = default;

  // Zero-terminated UTF-8 bytes, valid while the object lives.
  const char* buffer() const { return buffer_.c_str(); }

 private:
  std::string buffer_;
};

// UTF-8 bytes (null gives "") as UTF-16 text.
std::u16string WideFromUtf8(const char* text);

}  // namespace SQLite
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_SQLITE_UTF8MBSTR_H_
