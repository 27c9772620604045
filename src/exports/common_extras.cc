// The library's own extras: last error, debug sink, version, report and
// progress.
#include <atomic>
#include <string>

#include "context/job.h"
#include "exports/export_util.h"
#include "marksafe/marksafe.h"
#include "model/report.h"
#include "platform/debug_log.h"
#include "platform/platform.h"

namespace {

using HostSink = void (*)(const MS_CHAR* line, void* ctx);

std::atomic<HostSink> g_host_sink{nullptr};

// Hands a line to the host's sink in the binary interface's character type.
void ForwardToHost(const char16_t* line, void* ctx) {
  HostSink sink = g_host_sink.load();
  if (sink != nullptr) sink(reinterpret_cast<const MS_CHAR*>(line), ctx);
}

}  // namespace

extern "C" {

MARKSAFE_API uint32_t marksafe_last_error(void) {
  return marksafe::platform::GetLastError();
}

MARKSAFE_API void marksafe_set_debug_sink(void (*sink)(const MS_CHAR* line,
                                                       void* ctx),
                                          void* ctx) {
  try {
    marksafe::SetDebugSink(nullptr, nullptr);
    g_host_sink.store(sink);
    if (sink != nullptr) marksafe::SetDebugSink(&ForwardToHost, ctx);
  } catch (...) {
  }
}

MARKSAFE_API const char* marksafe_version(void) { return "0.1.0"; }

MARKSAFE_API const char* marksafe_last_report(void) {
  static marksafe::platform::ThreadSlot slot;
  return marksafe::exports::TextPerThread(
      &slot, "{}",
      [&] {
        return marksafe::model::ReportJson(marksafe::context::LastReport());
      });
}

MARKSAFE_API void marksafe_progress(int64_t* done, int64_t* total) {
  marksafe::context::ReadProgress(done, total);
}

}  // extern "C"
