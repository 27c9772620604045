#include "output.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "marksafe/marksafe.h"
#include "os.h"
#include "text.h"

namespace marksafe_cli {
namespace {

std::mutex g_console_mutex;
bool g_progress_visible = false;  // a progress line stands on the terminal
size_t g_progress_width = 0;
bool g_progress_written = false;  // the one non-terminal line was written

// Removes a progress line drawn in place. Caller holds the mutex.
void EraseProgressLocked() {
  if (!g_progress_visible) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(g_progress_width), "");
  g_progress_visible = false;
}

void LibrarySink(const MS_CHAR* line, void*) {
  std::string text = MsToUtf8(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.pop_back();
  }
  std::lock_guard<std::mutex> lock(g_console_mutex);
  EraseProgressLocked();
  std::fprintf(stderr, "  | %s\n", text.c_str());
  std::fflush(stderr);
}

bool IsWide(char32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) ||
         (cp >= 0x20000 && cp <= 0x3FFFD);
}

std::string Pad(const std::string& cell, size_t width, bool left) {
  const size_t used = DisplayWidth(cell);
  const std::string fill(width > used ? width - used : 0, ' ');
  return left ? cell + fill : fill + cell;
}

}  // namespace

void Say(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_console_mutex);
  EraseProgressLocked();
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

void Warn(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_console_mutex);
  EraseProgressLocked();
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void ShowLibraryDiagnostics(bool on) {
  marksafe_set_debug_sink(on ? LibrarySink : nullptr, nullptr);
}

void DrawProgress(const std::string& text) {
  std::lock_guard<std::mutex> lock(g_console_mutex);
  if (!StderrIsTerminal()) {
    if (!g_progress_written) {
      std::fprintf(stderr, "%s\n", text.c_str());
      std::fflush(stderr);
      g_progress_written = true;
    }
    return;
  }
  EraseProgressLocked();
  std::fflush(stdout);
  std::fprintf(stderr, "%s", text.c_str());
  std::fflush(stderr);
  g_progress_visible = true;
  g_progress_width = DisplayWidth(text);
}

void ClearProgress() {
  std::lock_guard<std::mutex> lock(g_console_mutex);
  EraseProgressLocked();
  std::fflush(stderr);
  g_progress_written = false;
}

std::string FormatSize(uint64_t bytes) {
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes) / 1024.0;
  size_t unit = 0;
  while (value >= 1024.0 && unit + 1 < sizeof(kUnits) / sizeof(kUnits[0])) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f %s", value, kUnits[unit]);
  return text;
}

Table::Table(std::vector<std::string> headers)
    : headers_(std::move(headers)), left_(headers_.size(), false) {
  if (!left_.empty()) left_[0] = true;
}

void Table::SetLeftAligned(size_t column) {
  if (column < left_.size()) left_[column] = true;
}

void Table::AddRow(std::vector<std::string> cells) {
  cells.resize(headers_.size());
  rows_.push_back(std::move(cells));
}

std::vector<std::string> Table::Render(const std::string& indent) const {
  std::vector<size_t> widths(headers_.size(), 0);
  for (size_t c = 0; c < headers_.size(); ++c) {
    widths[c] = DisplayWidth(headers_[c]);
    for (const auto& row : rows_) {
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
  }
  auto render_row = [&](const std::vector<std::string>& cells) {
    std::string line = indent;
    for (size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) line += "  ";
      // The last column is not padded on the right: no trailing blanks.
      const bool last_left = left_[c] && c + 1 == cells.size();
      line += last_left ? cells[c] : Pad(cells[c], widths[c], left_[c]);
    }
    return line;
  };
  std::vector<std::string> lines;
  lines.push_back(render_row(headers_));
  for (const auto& row : rows_) lines.push_back(render_row(row));
  return lines;
}

size_t DisplayWidth(const std::string& utf8) {
  size_t width = 0;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    size_t length = lead < 0x80         ? 1
                    : (lead >> 5) == 6  ? 2
                    : (lead >> 4) == 14 ? 3
                    : (lead >> 3) == 30 ? 4
                                        : 1;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    width += IsWide(cp) ? 2 : 1;
    i += length;
  }
  return width;
}

}  // namespace marksafe_cli
