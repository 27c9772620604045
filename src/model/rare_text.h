// Text that most items leave empty (a keyword, what it POSTs, a name or a
// path on disk), kept out of line: an item without it costs a pointer, not
// a string's 32 bytes, and a tree of a million links is 100 MB smaller.
// It reads as a const std::u16string& and is made or assigned from one.
#ifndef MARKSAFE_MODEL_RARE_TEXT_H_
#define MARKSAFE_MODEL_RARE_TEXT_H_

#include <memory>
#include <string>
#include <utility>

namespace marksafe {
namespace model {

class RareText {
 public:
  RareText() = default;
  // Made from text without a cast, as the strings it stands in for were.
  RareText(std::u16string text) { *this = std::move(text); }
  RareText(const char16_t* text) { *this = std::u16string(text); }
  RareText(const RareText& other) { *this = other.get(); }
  RareText(RareText&&) noexcept = default;
  RareText& operator=(const RareText& other) {
    if (this != &other) *this = other.get();
    return *this;
  }
  RareText& operator=(RareText&&) noexcept = default;
  // Empty text is held as none.
  RareText& operator=(std::u16string text) {
    if (text.empty()) {
      text_.reset();
    } else if (text_ != nullptr) {
      *text_ = std::move(text);
    } else {
      text_ = std::make_unique<std::u16string>(std::move(text));
    }
    return *this;
  }
  RareText& operator=(const char16_t* text) {
    return *this = std::u16string(text);
  }

  const std::u16string& get() const {
    static const std::u16string kNone;
    return text_ != nullptr ? *text_ : kNone;
  }
  operator const std::u16string&() const { return get(); }
  bool empty() const { return text_ == nullptr; }
  size_t size() const { return get().size(); }
  void clear() { text_.reset(); }

 private:
  std::unique_ptr<std::u16string> text_;  // never an empty string
};

inline bool operator==(const RareText& a, const RareText& b) {
  return a.get() == b.get();
}
inline bool operator!=(const RareText& a, const RareText& b) {
  return !(a == b);
}
inline bool operator==(const RareText& a, const std::u16string& b) {
  return a.get() == b;
}
inline bool operator!=(const RareText& a, const std::u16string& b) {
  return a.get() != b;
}
inline bool operator==(const std::u16string& a, const RareText& b) {
  return a == b.get();
}
inline bool operator!=(const std::u16string& a, const RareText& b) {
  return a != b.get();
}
inline bool operator==(const RareText& a, const char16_t* b) {
  return a.get() == b;
}

}  // namespace model
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_RARE_TEXT_H_
