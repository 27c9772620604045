#include "base/json_cursor.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace marksafe {
namespace {

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool JsonCursor::Fail(const char* what) {
  if (error_.empty()) {
    error_ = std::string(what) + " at offset " + std::to_string(at_);
  }
  return false;
}

void JsonCursor::SkipBlanks() {
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
    ++at_;
  }
}

bool JsonCursor::Expect(char c) {
  SkipBlanks();
  if (at_ >= text_.size() || text_[at_] != c) {
    return Fail(c == ':' ? "a ':' is missing" : "a ',' is missing");
  }
  ++at_;
  return true;
}

JsonCursor::Kind JsonCursor::Peek() {
  if (!ok()) return Kind::kBad;
  SkipBlanks();
  if (at_ >= text_.size()) return Kind::kBad;
  switch (text_[at_]) {
    case '{': return Kind::kObject;
    case '[': return Kind::kArray;
    case '"': return Kind::kString;
    case 't':
    case 'f': return Kind::kBool;
    case 'n': return Kind::kNull;
    default:
      return text_[at_] == '-' || IsDigit(text_[at_]) ? Kind::kNumber
                                                       : Kind::kBad;
  }
}

bool JsonCursor::EnterObject() {
  if (Peek() != Kind::kObject) return Fail("an object is expected");
  if (open_.size() >= kMaxDepth) return Fail("nesting too deep");
  ++at_;
  open_.push_back(Open{true, true});
  return true;
}

bool JsonCursor::EnterArray() {
  if (Peek() != Kind::kArray) return Fail("an array is expected");
  if (open_.size() >= kMaxDepth) return Fail("nesting too deep");
  ++at_;
  open_.push_back(Open{false, true});
  return true;
}

bool JsonCursor::Next(bool object) {
  if (!ok()) return false;
  if (open_.empty() || open_.back().object != object) {
    return Fail("no container is open");
  }
  SkipBlanks();
  if (at_ < text_.size() && text_[at_] == (object ? '}' : ']')) {
    ++at_;
    open_.pop_back();
    return false;
  }
  if (!open_.back().first && !Expect(',')) return false;
  open_.back().first = false;
  return true;
}

bool JsonCursor::NextKey(std::string* key) {
  if (!Next(true)) return false;
  if (Peek() != Kind::kString) return Fail("a member has no name");
  return ReadString(key) && Expect(':');
}

bool JsonCursor::NextItem() { return Next(false); }

bool JsonCursor::ReadHex4(uint32_t* out) {
  if (text_.size() - at_ < 4) return Fail("a \\u escape is cut short");
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const char c = text_[at_++];
    value <<= 4;
    if (IsDigit(c)) {
      value |= static_cast<uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value |= static_cast<uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      value |= static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return Fail("a \\u escape holds no hex digits");
    }
  }
  *out = value;
  return true;
}

bool JsonCursor::ReadString(std::string* out) {
  if (Peek() != Kind::kString) return Fail("a string is expected");
  ++at_;
  out->clear();
  while (true) {
    // The run up to the next quote or backslash, found with two searches
    // of the whole bytes rather than a test per character.
    const char* const run = text_.data() + at_;
    const size_t left = text_.size() - at_;
    const void* quote = std::memchr(run, '"', left);
    const size_t quote_at =
        quote == nullptr ? left : static_cast<const char*>(quote) - run;
    const void* backslash = std::memchr(run, '\\', quote_at);
    const size_t end =
        at_ + (backslash == nullptr ? quote_at
                                    : static_cast<const char*>(backslash) - run);
    out->append(run, end - at_);
    at_ = end;
    if (at_ >= text_.size()) return Fail("a string is not closed");
    if (text_[at_++] == '"') return true;
    if (at_ >= text_.size()) return Fail("a string is not closed");
    const char escape = text_[at_++];
    switch (escape) {
      case '"': case '\\': case '/': out->push_back(escape); break;
      case 'b': out->push_back('\b'); break;
      case 'f': out->push_back('\f'); break;
      case 'n': out->push_back('\n'); break;
      case 'r': out->push_back('\r'); break;
      case 't': out->push_back('\t'); break;
      case 'u': {
        uint32_t code = 0;
        if (!ReadHex4(&code)) return false;
        if (code >= 0xD800 && code < 0xDC00) {
          // A high surrogate takes the low one that must follow.
          uint32_t low = 0;
          if (text_.substr(at_, 2) != "\\u") {
            return Fail("a surrogate has no second half");
          }
          at_ += 2;
          if (!ReadHex4(&low)) return false;
          if (low < 0xDC00 || low > 0xDFFF) {
            return Fail("a surrogate has no second half");
          }
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(code, out);
        break;
      }
      default:
        return Fail("a string holds an unknown escape");
    }
  }
}

bool JsonCursor::ReadNumber(int64_t* integer, bool* whole) {
  if (Peek() != Kind::kNumber) return Fail("a number is expected");
  const size_t begin = at_;
  bool plain = true;  // no fraction or exponent
  if (text_[at_] == '-') ++at_;
  const size_t digits = at_;
  while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
  if (at_ == digits) return Fail("a number has no digits");
  if (at_ < text_.size() && text_[at_] == '.') {
    plain = false;
    const size_t fraction = ++at_;
    while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
    if (at_ == fraction) return Fail("a number's fraction has no digits");
  }
  if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
    plain = false;
    ++at_;
    if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
    const size_t exponent = at_;
    while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
    if (at_ == exponent) return Fail("a number's exponent has no digits");
  }
  *whole = false;
  if (plain) {
    // Whole numbers (every date of a manifest) are read in place.
    const bool negative = text_[begin] == '-';
    const uint64_t limit = (uint64_t{1} << 63) - (negative ? 0 : 1);
    uint64_t value = 0;
    for (size_t i = digits; i < at_; ++i) {
      const uint64_t digit = static_cast<uint64_t>(text_[i] - '0');
      if (value > (limit - digit) / 10) return true;  // beyond int64
      value = value * 10 + digit;
    }
    *integer = !negative    ? static_cast<int64_t>(value)
               : value == 0 ? 0
                            : -static_cast<int64_t>(value - 1) - 1;
    *whole = true;
    return true;
  }
  const std::string number(text_.substr(begin, at_ - begin));
  const double value = std::strtod(number.c_str(), nullptr);
  // 2^63 is the first double past int64's range.
  if (std::isfinite(value) && std::floor(value) == value &&
      value >= -9223372036854775808.0 && value < 9223372036854775808.0) {
    *integer = static_cast<int64_t>(value);
    *whole = true;
  }
  return true;
}

bool JsonCursor::ReadLiteral(std::string_view word) {
  if (text_.substr(at_, word.size()) != word) {
    return Fail("an unknown word stands for a value");
  }
  at_ += word.size();
  return true;
}

bool JsonCursor::ReadBool(bool* out) {
  if (Peek() != Kind::kBool) return Fail("true or false is expected");
  *out = text_[at_] == 't';
  return ReadLiteral(*out ? "true" : "false");
}

bool JsonCursor::Skip() {
  const size_t base = open_.size();
  do {
    if (open_.size() > base) {
      const bool more =
          open_.back().object ? NextKey(&scratch_) : NextItem();
      if (!more) continue;  // closed (or failed: the loop ends)
    }
    int64_t integer = 0;
    bool whole = false;
    switch (Peek()) {
      case Kind::kObject: EnterObject(); break;
      case Kind::kArray: EnterArray(); break;
      case Kind::kString: ReadString(&scratch_); break;
      case Kind::kNumber: ReadNumber(&integer, &whole); break;
      case Kind::kBool: ReadBool(&whole); break;
      case Kind::kNull: ReadLiteral("null"); break;
      case Kind::kBad: Fail("a value is expected"); break;
    }
  } while (ok() && open_.size() > base);
  return ok();
}

bool JsonCursor::Skip(std::string_view* text) {
  SkipBlanks();
  const size_t begin = at_;
  if (!Skip()) return false;
  *text = text_.substr(begin, at_ - begin);
  return true;
}

bool JsonCursor::AtEnd() {
  if (!ok()) return false;
  SkipBlanks();
  return at_ == text_.size();
}

}  // namespace marksafe
