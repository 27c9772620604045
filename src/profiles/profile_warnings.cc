#include "profiles/profile_warnings.h"

#include <algorithm>

namespace marksafe {
namespace {

thread_local ProfileWarnings* g_collector = nullptr;

}  // namespace

ProfileWarnings::ProfileWarnings() : previous_(g_collector) {
  g_collector = this;
}

ProfileWarnings::~ProfileWarnings() { g_collector = previous_; }

void ProfileWarnings::Add(const std::u16string& line) {
  if (g_collector == nullptr) return;
  std::u16string text = line;
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) {
    text.pop_back();
  }
  std::vector<std::u16string>& lines = g_collector->lines_;
  // Few lines: the search warns once per file or folder it passes over.
  if (lines.size() < 100 &&
      std::find(lines.begin(), lines.end(), text) == lines.end()) {
    lines.push_back(std::move(text));
  }
}

}  // namespace marksafe
