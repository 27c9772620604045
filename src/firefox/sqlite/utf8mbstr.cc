#include "firefox/sqlite/utf8mbstr.h"

#include "platform/platform.h"

namespace marksafe {
namespace SQLite {

UTF8MBSTR::UTF8MBSTR(const char16_t* text)
    : buffer_(text == nullptr ? std::string()
                              : platform::ToUtf8(std::u16string(text))) {}

UTF8MBSTR::UTF8MBSTR(const std::u16string& text)
    : buffer_(platform::ToUtf8(text)) {}

std::u16string WideFromUtf8(const char* text) {
  if (text == nullptr) return std::u16string();
  return platform::FromUtf8(std::string(text));
}

}  // namespace SQLite
}  // namespace marksafe
