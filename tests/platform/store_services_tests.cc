// Random bytes, MD5 and international host names from the system's
// libraries.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace marksafe {
namespace platform {
namespace {

std::string Hex(const unsigned char* bytes, size_t size) {
  std::string out;
  char pair[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof(pair), "%02x", bytes[i]);
    out += pair;
  }
  return out;
}

TEST(RandomBytesTest, FillsEveryByteAndDiffersBetweenCalls) {
  std::vector<unsigned char> a(64, 0), b(64, 0);
  ASSERT_TRUE(RandomBytes(a.data(), a.size()));
  ASSERT_TRUE(RandomBytes(b.data(), b.size()));
  EXPECT_NE(a, b);
  unsigned char untouched = 0xAB;  // zero bytes: valid, touches nothing
  EXPECT_TRUE(RandomBytes(&untouched, 0));
  EXPECT_EQ(untouched, 0xAB);
}

TEST(Md5DigestTest, KnownVectorsOverEveryByte) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"1234567890123456789012345678901234567890123456789012345678901234567"
       "8901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(1, '\0'), "93b885adfe0da089cdf634904fd59f71"},
      {std::string("a\0b", 3), "70350f6027bce3713f6b76473084309b"},
  };
  for (const auto& c : cases) {
    unsigned char digest[16] = {};
    EXPECT_TRUE(Md5Digest(c.first, digest));
    EXPECT_EQ(Hex(digest, sizeof(digest)), c.second) << c.first.size();
  }
}

TEST(IdnToAsciiTest, InternationalNamesBecomePunycodeOrFail) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"B\u00FCcher.example", u"xn--bcher-kva.example"},
      {u"\u00E9t\u00E9.fr", u"xn--t-9fab.fr"},
      // Symbols that browsers accept in host names.
      {u"\u2615.us", u"xn--53h.us"},
      // Outside the BMP: U+1D49C maps to "a".
      {u"\U0001D49Cb.example", u"ab.example"},
      // No ASCII form: a label over 63 characters, empty, a NUL.
      {u"\u00FC" + std::u16string(70, u'a') + u".de", u"untouched"},
      {u"", u"untouched"},
      {std::u16string(u"a\0b", 3), u"untouched"},
  };
  for (const auto& c : cases) {
    std::u16string out = u"untouched";
    EXPECT_EQ(IdnToAscii(c.first, &out), c.second != u"untouched");
    EXPECT_EQ(out, c.second);
  }
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
