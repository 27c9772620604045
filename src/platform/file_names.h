// Names and paths as the file system compares and shows them.
#ifndef MARKSAFE_PLATFORM_FILE_NAMES_H_
#define MARKSAFE_PLATFORM_FILE_NAMES_H_

#include <string>

namespace marksafe {

// Equality without regard to case, as the file system compares names.
bool EqualsNoCase(const std::u16string& a, const std::u16string& b);

// Upper-cases every unit as the file system does.
std::u16string ToUpperCase(const std::u16string& text);

// A path as the person knows it, for messages and reports: the system's
// own separators ("/" on POSIX, where the library joins with "\").
std::u16string DisplayPath(const std::u16string& path);

}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_FILE_NAMES_H_
