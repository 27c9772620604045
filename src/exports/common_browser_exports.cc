// Exports that find, test and close the browsers.
#include "exports/export_util.h"
#include "marksafe/marksafe.h"
#include "profiles/locators.h"

using marksafe::exports::CopyOut;
using marksafe::exports::Guarded;
using marksafe::exports::OkElseLastError;
using marksafe::exports::Refused;

extern "C" {

MARKSAFE_API bool is_installed_ie(void) {
  return Guarded(false, [] { return marksafe::IsInstalledIe(); });
}

MARKSAFE_API bool get_ie_path(MS_CHAR* out) {
  if (out == nullptr) return Refused("get_ie_path", false);
  return Guarded(false, [&] {
    std::u16string path;
    if (!OkElseLastError(marksafe::GetIePath(&path))) return false;
    CopyOut(path, out);
    return true;
  });
}

MARKSAFE_API bool is_installed_firefox(MS_CHAR* out) {
  return Guarded(false, [&] {
    std::u16string path;
    if (!marksafe::IsInstalledFirefox(&path)) return false;
    if (out != nullptr) CopyOut(path, out);
    return true;
  });
}

MARKSAFE_API bool is_firefox_running(void) {
  return Guarded(false, [] { return marksafe::IsBrowserRunningFirefox(); });
}

MARKSAFE_API bool close_firefox(void) {
  return Guarded(false, [] { return marksafe::CloseFirefox(); });
}

MARKSAFE_API bool is_installed_chrome(MS_CHAR* out) {
  return Guarded(false, [&] {
    // The locator gives a path only when it is longer than 8 characters;
    // otherwise the caller's buffer stays as it was.
    std::u16string path;
    if (!marksafe::IsInstalledChrome(out != nullptr ? &path : nullptr)) {
      return false;
    }
    if (out != nullptr && !path.empty()) CopyOut(path, out);
    return true;
  });
}

MARKSAFE_API bool is_chrome_running(void) {
  return Guarded(false, [] { return marksafe::IsBrowserRunningChrome(); });
}

MARKSAFE_API bool close_chrome(void) {
  return Guarded(false, [] { return marksafe::CloseChrome(); });
}

}  // extern "C"
