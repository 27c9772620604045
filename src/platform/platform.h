// The one seam between marksafe and the operating system.
//
// Everything above this header reaches files, folders, INI files, shell
// folders, browser processes, the thread's last-error value and the debugger
// channel only through these functions. CMake compiles exactly one backend:
// win32/ (the real API) or posix/ (our own implementation of the same
// behaviour).
//
// Paths are UTF-16 and may use "\" or "/" as separators on every system.
// On POSIX a "\" byte inside a name on disk is listed as U+F05C (as Cygwin
// does) and U+F05C in a path is that byte again, so that such a name never
// splits into two components.
// Every function that fails leaves a Windows error code in the thread's
// last-error value (2 file not found, 3 path not found, 5 access denied,
// 80 file exists, 183 already exists, 87 invalid parameter, ...). Those
// that change or read files and folders return a Status that carries the
// same code and names what failed; "false" means a failed Status.
// Most operations of the Env in force (files, folders, INI files, shell
// folders, processes, locks) are declared, with what they do, in env.h
// after the Env itself; this header holds the types they take and the rest.
#ifndef MARKSAFE_PLATFORM_PLATFORM_H_
#define MARKSAFE_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/error_codes.h"
#include "base/status.h"
#include "platform/database_file.h"

namespace marksafe {
namespace platform {

// ---- Last error and diagnostics -----------------------------------------

uint32_t GetLastError();
void SetLastError(uint32_t code);

// Hands one finished diagnostic line to the system's debugger channel
// (OutputDebugStringW; on POSIX stderr as UTF-8 when MARKSAFE_DEBUG is set).
void DebugOutput(const std::u16string& line);

// ---- Text ----------------------------------------------------------------

// UTF-16 <-> UTF-8. Invalid input is replaced by U+FFFD, never rejected.
std::string ToUtf8(const std::u16string& text);
std::u16string FromUtf8(const std::string& text);

// Text in a legacy character set, named by its usual label ("windows-1252",
// "iso-8859-2", "koi8-r", "shift_jis", ...; letter case ignored), as
// UTF-16. A byte sequence the set does not map becomes U+FFFD. False, with
// *out empty, when the system knows no such set.
bool DecodeCharset(const std::string& bytes, const std::string& charset,
                   std::u16string* out);

// Upper-cases one UTF-16 code unit the way the file system compares names.
char16_t UpperCase(char16_t c);

// The line end of a text file written in text mode: "\r\n" on Windows,
// "\n" elsewhere. Writers of text files build their text with "\n" and
// turn each into this.
const char* TextLineEnd();

// ---- Files and folders ----------------------------------------------------

// What a folder entry itself is; a link is never followed to find out.
// kOther: FIFOs, devices, sockets (nothing a reader opens).
enum class EntryKind { kRegular, kDirectory, kLink, kOther };

struct DirEntry {
  std::u16string name;
  bool is_directory = false;
  bool is_reparse_point = false;  // symlinks on POSIX
  bool is_hidden = false;         // dot-names on POSIX
  EntryKind kind = EntryKind::kOther;
  // False when the name on disk is no valid text (POSIX: not UTF-8): name
  // then holds replacement characters and does not reach the entry.
  bool name_valid = true;
};

// What path itself is, without following a link or reparse point in its
// last component (lstat; GetFileAttributesW). Fails (last error set) when
// there is no such entry.
[[nodiscard]] Status GetEntryKind(const std::u16string& path, EntryKind* kind);

// The path in the form the system's C APIs take it, UTF-8 ("/" separators
// on POSIX). For SQLite's open call.
std::string NativePathUtf8(const std::u16string& path);

// The system's folder for temporary files (POSIX: $TMPDIR, else /tmp;
// Windows: GetTempPathW), without a trailing separator; empty when the
// system names none.
std::u16string TempFolder();

// The path of the entry named name inside folder: folder, a separator
// unless folder ends with one, and name. Every name read from a listing is
// joined through here and nowhere else. False (*out untouched, last error
// 123) for a name that is no single entry of folder: empty, "." or "..",
// or holding a separator of this system ("/" or "\\"; on Windows also ":"
// which would name a stream or a drive).
// The characters no single name holds on this system.
extern const char16_t kNotInAName[];
[[nodiscard]] bool ChildPath(const std::u16string& folder,
                             const std::u16string& name, std::u16string* out);

// ---- Shell folders and the system -----------------------------------------

// kLocalState: where a program keeps the state of the user's own runs
// (Windows: %LOCALAPPDATA%; POSIX: $XDG_STATE_HOME when absolute, else
// ~/.local/state).
enum class ShellFolder { kFavorites, kRoamingAppData, kProgramFiles,
                         kLocalState };

// ---- Browser windows --------------------------------------------------------

enum class Browser { kFirefox, kChrome };

// A browser's main process (not a renderer or content process): its id and
// the arguments of its command line after the program (empty when they
// cannot be read).
struct BrowserProcess {
  int64_t pid = 0;
  std::vector<std::u16string> args;
};

// ---- Services for today's browser stores ---------------------------------

// The MD5 digest of data (16 bytes) from the system's cryptography library
// (libcrypto on POSIX, the CNG API on Windows). False when unavailable.
bool Md5Digest(const std::string& data, unsigned char digest[16]);

// An international host name in its ASCII form (UTS #46 processing,
// punycode labels), as URL parsers store it. False when the name is not
// valid; out is then untouched.
bool IdnToAscii(const std::u16string& host, std::u16string* out);

// ---- Locks and durable writes ---------------------------------------------

// One spelling per file, for telling whether two paths name the same one:
// absolute, the folder's links followed (the last name is kept as written,
// so the file need not exist), compared as the file system compares names.
std::u16string CanonicalPath(const std::u16string& path);

// An advisory lock held on a lock file until the object is destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

}  // namespace platform
}  // namespace marksafe

// The Env and the operations it serves.
#include "platform/env.h"

#endif  // MARKSAFE_PLATFORM_PLATFORM_H_
