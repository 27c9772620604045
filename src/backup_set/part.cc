#include "backup_set/part.h"

#include <iterator>

#include "backup_set/interchange.h"
#include "backup_set/part_slots.h"

namespace marksafe {
namespace backup_set {
namespace {

using model::Root;

const RootSlot kFirefoxSlots[] = {
    {Root::kMenu, interchange::kPosMainKey, interchange::kPosMainValue},
    {Root::kToolbar, interchange::kPosToolbarKey,
     interchange::kPosToolbarValue},
    {Root::kOther, interchange::kPosOthersKey, interchange::kPosOthersValue},
    {Root::kMobile, interchange::kPosMobileKey, interchange::kPosMobileValue},
};
const RootSlot kChromeSlots[] = {
    {Root::kToolbar, interchange::kChromePosBarKey,
     interchange::kChromePosBarValue},
    {Root::kOther, interchange::kChromePosOtherKey,
     interchange::kChromePosOtherValue},
    {Root::kMobile, interchange::kChromePosSyncedKey,
     interchange::kChromePosSyncedValue},
};

}  // namespace

std::vector<RootSlot> Slots(PartKind kind) {
  if (kind == PartKind::kFirefox) {
    return std::vector<RootSlot>(std::begin(kFirefoxSlots),
                                 std::end(kFirefoxSlots));
  }
  return std::vector<RootSlot>(std::begin(kChromeSlots),
                               std::end(kChromeSlots));
}

const char16_t* PositionFileName(PartKind kind) {
  return kind == PartKind::kFirefox ? interchange::kPosIni
                                    : interchange::kChromePosIni;
}

const char16_t* PositionSection(PartKind kind) {
  return kind == PartKind::kFirefox ? interchange::kPosSection
                                    : interchange::kChromePosSection;
}

const char* KindName(PartKind kind) {
  return kind == PartKind::kFirefox ? "firefox" : "chrome";
}

std::vector<model::Root> PartRoots(PartKind kind) {
  std::vector<model::Root> roots;
  for (const RootSlot& slot : Slots(kind)) roots.push_back(slot.root);
  return roots;
}

std::u16string RootFolderName(PartKind kind, model::Root root) {
  for (const RootSlot& slot : Slots(kind)) {
    if (slot.root == root) return slot.folder;
  }
  return std::u16string();
}

}  // namespace backup_set
}  // namespace marksafe
