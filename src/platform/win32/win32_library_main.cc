// The library's entry routine: it only stores the module handle, which later
// locates files kept beside the library.
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace win32 {
namespace {

HMODULE g_module = nullptr;

}  // namespace

HMODULE StoredModuleHandle() { return g_module; }

void StoreModuleHandle(HMODULE module) { g_module = module; }

}  // namespace win32
}  // namespace platform
}  // namespace marksafe

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    marksafe::platform::win32::StoreModuleHandle(instance);
  }
  return TRUE;
}
