// An INI or .url file: read through the platform's profile API (8-bit and
// UTF-16LE files, any lines) and the shortcut reader, then one key written
// into it, which must read back as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "backup_set/url_files.h"
#include "fuzz_support.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marksafe;
  const std::u16string path = fuzz::WriteScratchFile(
      u"input.url", std::string(reinterpret_cast<const char*>(data), size));

  // What the readers of a backup set ask: a shortcut's keys, the position
  // files' keys, with buffer sizes from none to ample.
  for (size_t buffer : {size_t{0}, size_t{1}, size_t{3}, size_t{260},
                        size_t{4096}}) {
    std::vector<std::u16string> values = platform::GetProfileStrings(
        u"InternetShortcut", {u"URL", u"Title"}, u"def", buffer, path);
    if (values.size() != 2) __builtin_trap();
    for (const std::u16string& value : values) {
      if (buffer == 0 ? !value.empty() : value.size() > buffer - 1) {
        __builtin_trap();
      }
    }
  }
  (void)platform::GetProfileString(u"Menu", u"Main", u"", 4096, path);
  (void)platform::GetProfileString(u"Chrome_menu", u"synced", u"", 4096, path);

  model::Item item;
  if (backup_set::ReadPlainShortcut(path, u"input.url", &item)) {
    if (item.kind != model::ItemKind::kLink) {
      __builtin_trap();
    }
  }

  // The writer keeps the file's other lines and its own key reads back.
  const std::u16string value = u"https://example.com/?q=1";
  if (platform::WriteProfileString(u"InternetShortcut", u"URL", value, path)
          .ok()) {
    if (platform::GetProfileString(u"InternetShortcut", u"URL", u"", 4096,
                                   path) != value) {
      __builtin_trap();
    }
  }
  fuzz::ClearScratch();
  return 0;
}
