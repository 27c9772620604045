// Random bytes, MD5 and international host names from the system's
// libraries.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
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

std::string Md5Hex(const std::string& data) {
  unsigned char digest[16] = {};
  EXPECT_TRUE(Md5Digest(data, digest));
  return Hex(digest, sizeof(digest));
}

TEST(RandomBytesTest, FillsEveryByteAndDiffersBetweenCalls) {
  std::vector<unsigned char> a(64, 0), b(64, 0);
  ASSERT_TRUE(RandomBytes(a.data(), a.size()));
  ASSERT_TRUE(RandomBytes(b.data(), b.size()));
  EXPECT_NE(a, b);
  // Zero bytes is a valid request that touches nothing.
  unsigned char untouched = 0xAB;
  EXPECT_TRUE(RandomBytes(&untouched, 0));
  EXPECT_EQ(untouched, 0xAB);
}

TEST(Md5DigestTest, KnownVectors) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456"
                   "789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5DigestTest, BinaryDataWithZeroBytes) {
  // The digest covers every byte, including NULs inside the data.
  std::string with_nul("a\0b", 3);
  EXPECT_NE(Md5Hex(with_nul), Md5Hex("a"));
  EXPECT_EQ(Md5Hex(std::string(1, '\0')), "93b885adfe0da089cdf634904fd59f71");
}

std::u16string Ascii(const std::u16string& host, bool* ok) {
  std::u16string out = u"untouched";
  *ok = IdnToAscii(host, &out);
  return out;
}

TEST(IdnToAsciiTest, InternationalNamesBecomePunycode) {
  bool ok = false;
  EXPECT_EQ(Ascii(u"B\u00FCcher.example", &ok), u"xn--bcher-kva.example");
  EXPECT_TRUE(ok);
  EXPECT_EQ(Ascii(u"\u00E9t\u00E9.fr", &ok), u"xn--t-9fab.fr");
  EXPECT_TRUE(ok);
  // Non-transitional processing keeps the sharp s, as browsers do today.
  EXPECT_EQ(Ascii(u"fa\u00DF.de", &ok), u"xn--fa-hia.de");
  EXPECT_TRUE(ok);
  // Symbols that browsers accept in host names.
  EXPECT_EQ(Ascii(u"\u2615.us", &ok), u"xn--53h.us");
  EXPECT_TRUE(ok);
  // A character outside the Basic Multilingual Plane (U+1D49C is mapped to
  // "a" by the compatibility mapping).
  EXPECT_EQ(Ascii(u"\U0001D49Cb.example", &ok), u"ab.example");
  EXPECT_TRUE(ok);
}

TEST(IdnToAsciiTest, InvalidNamesLeaveTheOutputAlone) {
  bool ok = true;
  // A label longer than 63 characters has no valid ASCII form.
  std::u16string long_label = u"\u00FC" + std::u16string(70, u'a') + u".de";
  EXPECT_EQ(Ascii(long_label, &ok), u"untouched");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Ascii(u"", &ok), u"untouched");
  EXPECT_FALSE(ok);
  EXPECT_EQ(Ascii(std::u16string(u"a\0b", 3), &ok), u"untouched");
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace platform
}  // namespace marksafe
