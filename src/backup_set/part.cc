#include "backup_set/part.h"

#include <iterator>

#include "backup_set/interchange.h"
#include "backup_set/part_slots.h"

namespace marksafe {
namespace backup_set {
namespace {

using model::Root;

// The keys and folder names of backup_set/part.h; Toolbar, Mobile and
// synced are the roots older backup sets did not hold.
const RootSlot kFirefoxSlots[] = {
    {Root::kMenu, u"Main", u"Bookmarks Menu"},
    {Root::kToolbar, u"Toolbar", u"Bookmarks Toolbar"},
    {Root::kOther, u"Others", u"Unsorted Bookmarks"},
    {Root::kMobile, u"Mobile", u"Mobile Bookmarks"},
};
const RootSlot kChromeSlots[] = {
    {Root::kToolbar, u"Bar", u"Bookmarks bar"},
    {Root::kOther, u"other", u"Other bookmarks"},
    {Root::kMobile, u"synced", u"Mobile bookmarks"},
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
  return kind == PartKind::kFirefox ? u"Menu" : u"Chrome_menu";
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
