// The profile API's reading and writing of one INI file, on the file's
// bytes: what GetPrivateProfileStringW reads and what
// WritePrivateProfileStringW leaves. The POSIX backend and the in-memory
// Env run it over the bytes they keep.
#ifndef MARKSAFE_PLATFORM_INI_PROFILE_H_
#define MARKSAFE_PLATFORM_INI_PROFILE_H_

#include <cstddef>
#include <string>
#include <vector>

namespace marksafe {
namespace platform {
namespace ini {

// GetProfileString for each of keys in one section of a file holding bytes
// (null: there is no such file). A key not found gives default_value and
// leaves 2 as the last error.
std::vector<std::u16string> ProfileStringsIn(
    const std::string* bytes, const std::u16string& section,
    const std::vector<std::u16string>& keys,
    const std::u16string& default_value, size_t size);

// What GetProfileString gives for a key it does not find: default_value
// without its trailing blanks, cut to size - 1 units.
std::u16string DefaultProfileString(const std::u16string& default_value,
                                    size_t size);

// WriteProfileString on a file's bytes (empty for a missing file). False,
// with 87 as the last error and bytes untouched, for a section or key name
// that could not be read back as written.
bool SetProfileStringIn(std::string* bytes, const std::u16string& section,
                        const std::u16string& key, const std::u16string& value);

}  // namespace ini
}  // namespace platform
}  // namespace marksafe

#endif  // MARKSAFE_PLATFORM_INI_PROFILE_H_
