// Everything the program prints: result lines on standard output, notes,
// the library's diagnostic lines (--verbose) and the progress line on
// standard error, and simple text tables.
#ifndef MARKSAFE_TOOLS_MARKSAFE_OUTPUT_H_
#define MARKSAFE_TOOLS_MARKSAFE_OUTPUT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace marksafe_cli {

// A line on standard output.
void Say(const std::string& line);
// A line on standard error (warnings, the failure line).
void Warn(const std::string& line);

// With on, every diagnostic line of the library is shown on standard error,
// prefixed with "  | ". Off removes the sink again.
void ShowLibraryDiagnostics(bool on);

// The progress line on standard error: drawn over and over in place on a
// terminal, written once elsewhere. Only one exists at a time.
void DrawProgress(const std::string& text);
void ClearProgress();

// "1.5 KiB", "320 B".
std::string FormatSize(uint64_t bytes);

// Columns padded to their widest cell; the first column left-aligned, the
// others right-aligned unless marked as text.
class Table {
 public:
  explicit Table(std::vector<std::string> headers);
  void SetLeftAligned(size_t column);
  void AddRow(std::vector<std::string> cells);
  std::vector<std::string> Render(const std::string& indent) const;

 private:
  std::vector<std::string> headers_;
  std::vector<bool> left_;
  std::vector<std::vector<std::string>> rows_;
};

// Columns a UTF-8 text takes on a terminal (wide East Asian characters
// count two).
size_t DisplayWidth(const std::string& utf8);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_OUTPUT_H_
