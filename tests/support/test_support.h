// Helpers shared by the test suites: temporary folders, environment
// variables for the duration of a test, small file helpers, and a capture of
// the library's diagnostic lines.
#ifndef MARKSAFE_TESTS_SUPPORT_TEST_SUPPORT_H_
#define MARKSAFE_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "json/json.h"
#include "marksafe/marksafe.h"

namespace marksafe {
namespace test {

// A fresh folder, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // UTF-8 path without a trailing separator.
  const std::string& path() const { return path_; }
  // UTF-16 path, and path + "/" + relative (both as UTF-16).
  std::u16string u16() const;
  std::u16string u16(const std::string& relative) const;
  std::string sub(const std::string& relative) const;

 private:
  std::string path_;
};

// Sets (or with unset, removes) an environment variable and restores the old
// state at destruction.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::string& value);
  explicit ScopedEnv(const std::string& name);  // unset
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_old_ = false;
  std::string old_;
};

std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& text);

// Text for and from the exports' MS_CHAR parameters.
inline const MS_CHAR* Ms(const std::u16string& text) {
  return reinterpret_cast<const MS_CHAR*>(text.c_str());
}
inline std::string Out(const MS_CHAR* buffer) {
  return U8(reinterpret_cast<const char16_t*>(buffer));
}

// The bytes of text as UTF-16LE, without a byte-order mark.
std::string Utf16le(const std::u16string& text);

// An Internet Shortcut file's bytes, as Internet Explorer writes them.
std::string Shortcut(const std::string& url);
// Writes a shortcut file (UTF-16LE, so that every character reads back)
// with URL and, when not empty, Title.
void WriteUrlFile(const std::string& path, const std::string& url,
                  const std::string& title = std::string());

// Creates parent folders as needed. Paths are UTF-8 with "/".
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// Parses JSON text as a document reader takes it; the test fails on bad
// text.
Json::Value ParseJson(const std::string& text);
// A file of tests/data ("chrome/bookmarks-today.json").
std::string DataFile(const std::string& name);
void MakeDirs(const std::string& path);
bool Exists(const std::string& path);
bool IsDir(const std::string& path);
// Relative paths of every file and folder below root ("a/b.url", "a/"),
// sorted.
std::vector<std::string> ListTree(const std::string& root);

// Asks condition every 20 ms until it holds or the seconds are over;
// whether it held in the end.
bool WaitFor(const std::function<bool()>& condition, int seconds = 5);

// Collects every diagnostic line while alive (through the debug sink).
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  const std::vector<std::u16string>& lines() const { return lines_; }
  bool Contains(const std::string& utf8_fragment) const;
  std::string Joined() const;

 private:
  static void Sink(const char16_t* line, void* ctx);
  std::vector<std::u16string> lines_;
};

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_SUPPORT_TEST_SUPPORT_H_
