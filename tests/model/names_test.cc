// Names of files and folders in a .url tree: unique without regard to case,
// safe on every file system, and within both name limits.
#include "model/names.h"

#include <string>
#include <unordered_set>

#include "base/text.h"
#include "gtest/gtest.h"
#include "platform/file_names.h"
#include "platform/platform.h"

namespace marksafe {
namespace model {
namespace {

bool FitsBothLimits(const std::u16string& name) {
  return name.size() <= kMaxNameUnits && Utf8Length(name) <= kMaxNameBytes;
}

bool EndsInsidePair(const std::u16string& text) {
  return !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF;
}

TEST(NameAllocator, CollisionsWithoutRegardToCaseGetNumbers) {
  NameAllocator names;
  names.Reserve(u"news.URL");
  names.Reserve(u"News (3).url");
  EXPECT_EQ(names.Allocate(u"News", u".url"), u"News (2).url");
  EXPECT_EQ(names.Allocate(u"NEWS", u".url"), u"NEWS (4).url");
  // A folder and a link of one title are different names.
  EXPECT_EQ(names.Allocate(u"News", u""), u"News");
  EXPECT_EQ(names.Allocate(u"news", u""), u"news (2)");
  // Titles that clean to the same stem collide too.
  EXPECT_EQ(names.Allocate(u"a/b", u".url"), u"a_b.url");
  EXPECT_EQ(names.Allocate(u"a:b", u".url"), u"a_b (2).url");
}

TEST(NameAllocator, ManyOfOneTitleStayUniqueAndFast) {
  NameAllocator names;
  std::unordered_set<std::u16string> seen;
  for (int i = 0; i < 20000; ++i) {
    ASSERT_TRUE(seen.insert(ToUpperCase(names.Allocate(u"Same", u".url")))
                    .second);
  }
}

TEST(NameStem, RefusedCharactersDotsBlanksAndDevices) {
  EXPECT_EQ(NameStem(u"a/b: c?*|<>\"\\d\t", 0, 0), u"a_b_ c_______d_");
  EXPECT_EQ(NameStem(u"  outer  ", 0, 0), u"outer");
  EXPECT_EQ(NameStem(u"trailing...", 0, 0), u"trailing");
  for (const char16_t* dots : {u"", u".", u"..", u"...", u" . ", u"   "}) {
    EXPECT_EQ(NameStem(dots, 0, 0), u"_") << platform::ToUtf8(dots);
  }
  EXPECT_EQ(NameStem(u"..hidden", 0, 0), u"..hidden");
  EXPECT_EQ(NameStem(u"con", 0, 0), u"_con");
  EXPECT_EQ(NameStem(u"LPT1.txt", 0, 0), u"_LPT1.txt");
  EXPECT_EQ(NameStem(u"Console", 0, 0), u"Console");
  // An unpaired surrogate has no name on any system.
  EXPECT_EQ(NameStem(std::u16string(u"a") + char16_t(0xD800) + u"b", 0, 0),
            u"a_b");
}

TEST(NameStem, CutAtCharacterBoundariesWithinBothLimits) {
  // 300 ASCII characters: the unit limit cuts.
  const std::u16string ascii(300, u'x');
  NameAllocator names;
  const std::u16string first = names.Allocate(ascii, u".url");
  EXPECT_EQ(first.size(), kMaxNameUnits);
  const std::u16string second = names.Allocate(ascii, u".url");
  EXPECT_TRUE(FitsBothLimits(second));
  EXPECT_EQ(second.substr(second.size() - 8), u" (2).url");

  // CJK: 3 bytes each, so the byte limit cuts at 85 characters.
  const std::u16string cjk(200, char16_t(0x6F22));
  const std::u16string cjk_stem = NameStem(cjk, 0, 0);
  EXPECT_EQ(cjk_stem.size(), 85u);
  EXPECT_EQ(Utf8Length(NameStem(cjk, 4, 4)), 249u);

  // Astral characters (2 units, 4 bytes): never cut inside a pair, with or
  // without a suffix of odd length.
  std::u16string astral;
  for (int i = 0; i < 150; ++i) astral += u"\U0001F600";
  for (size_t room = 0; room < 8; ++room) {
    const std::u16string stem = NameStem(astral, room, room);
    EXPECT_FALSE(EndsInsidePair(stem)) << room;
    EXPECT_LE(Utf8Length(stem) + room, kMaxNameBytes);
  }
  std::u16string mixed = u"a" + astral;
  const std::u16string name = names.Allocate(mixed, u".url");
  EXPECT_TRUE(FitsBothLimits(name));
  EXPECT_FALSE(EndsInsidePair(name.substr(0, name.size() - 4)));
}

TEST(NameAllocator, PathLimitCutsFurtherOrLeavesNoName) {
  NameAllocator names;
  EXPECT_EQ(names.Allocate(u"Long title", u".url", NameLimit{9, 255}),
            u"Long.url");
  EXPECT_EQ(names.Allocate(u"Long title", u".url", NameLimit{255, 9}),
            u"L (2).url");
  EXPECT_EQ(names.Allocate(u"Long title", u".url", NameLimit{4, 255}), u"");
}

}  // namespace
}  // namespace model
}  // namespace marksafe
