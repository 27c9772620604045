#include "support/test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "base/text.h"
#include "gtest/gtest.h"
#include "platform/debug_log.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace marksafe {
namespace test {
namespace {

// The C runtime of Windows has no setenv/unsetenv.
void SetVariable(const std::string& name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name.c_str(), value.c_str());
#else
  setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetVariable(const std::string& name) {
#if defined(_WIN32)
  _putenv_s(name.c_str(), "");
#else
  unsetenv(name.c_str());
#endif
}

// A test program run by hand, not through ctest, keeps no journal either:
// it must never write into, or prune, the journal folder of the person who
// runs it. A test that wants journals turns them on in a folder of its own.
[[maybe_unused]] const bool kNoJournalUnlessAsked = [] {
  if (std::getenv("MARKSAFE_JOURNAL") == nullptr) {
    SetVariable("MARKSAFE_JOURNAL", "off");
  }
  return true;
}();

}  // namespace

bool WaitFor(const std::function<bool()>& condition, int seconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

TempDir::TempDir() {
  // Names differ between runs and between test programs running at once:
  // a fixed sequence (an unseeded rand) would collide with folders that an
  // earlier, killed run left behind.
  static std::mt19937_64 names{std::random_device{}() ^
                               static_cast<uint64_t>(
                                   std::chrono::steady_clock::now()
                                       .time_since_epoch()
                                       .count())};
  static std::mutex names_lock;
  std::lock_guard<std::mutex> hold(names_lock);
  fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate =
        base / ("marksafe-test-" + std::to_string(names() % 1000000000000u));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate.u8string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(fs::u8path(path_), ec);
}

std::u16string TempDir::u16() const { return U16(path_); }
std::u16string TempDir::u16(const std::string& relative) const {
  return U16(sub(relative));
}
std::string TempDir::sub(const std::string& relative) const {
  return path_ + "/" + relative;
}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value)
    : ScopedEnv(name) {
  SetVariable(name, value);
}

ScopedEnv::ScopedEnv(const std::string& name) : name_(name) {
  if (const char* old = std::getenv(name.c_str())) {
    had_old_ = true;
    old_ = old;
  }
  UnsetVariable(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_old_) {
    SetVariable(name_, old_);
  } else {
    UnsetVariable(name_);
  }
}

std::u16string U16(const std::string& utf8) { return platform::FromUtf8(utf8); }
std::string U8(const std::u16string& text) { return platform::ToUtf8(text); }

std::string Utf16le(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::string Shortcut(const std::string& url) {
  return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

void WriteUrlFile(const std::string& path, const std::string& url,
                  const std::string& title) {
  WriteBytes(path, "\xFF\xFE" + Utf16le(U16("[InternetShortcut]\r\nURL=" + url +
                                            "\r\nTitle=" + title + "\r\n")));
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  fs::path p = fs::u8path(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Json::Value ParseJson(const std::string& text) {
  Json::Value value;
  std::string errors;
  const std::unique_ptr<Json::CharReader> reader(
      Json::CharReaderBuilder().newCharReader());
  EXPECT_TRUE(
      reader->parse(text.data(), text.data() + text.size(), &value, &errors))
      << errors << text.substr(0, 200);
  return value;
}

std::string DataFile(const std::string& name) {
  const std::string here = __FILE__;
  return ReadBytes(here.substr(0, here.find_last_of("/\\")) + "/../data/" +
                   name);
}

void MakeDirs(const std::string& path) {
  fs::create_directories(fs::u8path(path));
}
bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(fs::u8path(path), ec));
}
bool IsDir(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(fs::u8path(path), ec);
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> out;
  std::error_code ec;
  const fs::path base = fs::u8path(root);
  for (auto it = fs::recursive_directory_iterator(base, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::string rel = fs::relative(it->path(), base).generic_u8string();
    if (it->is_directory() && !it->is_symlink()) rel += "/";
    out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

LogCapture::LogCapture() { SetDebugSink(&LogCapture::Sink, this); }
LogCapture::~LogCapture() { SetDebugSink(nullptr, nullptr); }

void LogCapture::Sink(const char16_t* line, void* ctx) {
  static_cast<LogCapture*>(ctx)->lines_.push_back(line ? line : u"");
}

bool LogCapture::Contains(const std::string& utf8_fragment) const {
  return Joined().find(utf8_fragment) != std::string::npos;
}

std::string LogCapture::Joined() const {
  std::string all;
  for (const auto& line : lines_) all += platform::ToUtf8(line);
  return all;
}

}  // namespace test
}  // namespace marksafe
