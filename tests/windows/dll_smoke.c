/* Loads marksafe.dll from a C program through its import library, as a host
 * application does, and calls a few exports. Built and run under Wine by
 * scripts/build-windows.sh; exits non-zero on the first surprise. */
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "marksafe/marksafe.h"

static int failures = 0;

static void check(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "dll_smoke: %s\n", what);
    ++failures;
  }
}

int main(void) {
  MS_CHAR path[260];
  uint64_t size = 1;
  int32_t folders = -1, links = -1;

  check(strcmp(marksafe_version(), "0.1.0") >= 0, "marksafe_version");
  check(!get_ie_path(NULL), "get_ie_path(NULL) must fail");
  check(!get_ie_favorites_size(NULL, false, NULL, NULL, NULL),
        "get_ie_favorites_size without a size pointer must fail");
  check(release_bookmark(NULL) == false, "release_bookmark(NULL)");
  check(import_chrome_bk_2_ie(NULL, false, NULL) == 87,
        "import_chrome_bk_2_ie(NULL) must give 87");

  /* A fresh Wine prefix has iexplore.exe and a Favorites folder. */
  wmemset(path, L'#', 260);
  if (is_installed_ie()) {
    check(get_ie_path(path), "get_ie_path");
    check(wcslen(path) > 3 && wcslen(path) < 260, "Favorites path length");
    check(get_ie_favorites_size(path, false, &size, &folders, &links),
          "get_ie_favorites_size on the Favorites folder");
    check(folders >= 0 && links >= 0, "counts");
  }
  check(!is_firefox_running() && !is_chrome_running(), "no browser windows");
  check(close_firefox() && close_chrome(), "nothing to close");
  printf("dll_smoke: %s, %d failure(s)\n", marksafe_version(), failures);
  return failures == 0 ? 0 : 1;
}
