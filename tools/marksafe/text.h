// Text at the edges of the command-line host: the library speaks UTF-16
// (MS_CHAR), the console and std::filesystem speak UTF-8.
#ifndef MARKSAFE_TOOLS_MARKSAFE_TEXT_H_
#define MARKSAFE_TOOLS_MARKSAFE_TEXT_H_

#include <filesystem>
#include <string>

#include "marksafe/marksafe.h"

namespace marksafe_cli {

using MsString = std::basic_string<MS_CHAR>;

// Malformed input never fails: a bad sequence becomes U+FFFD.
MsString Utf8ToMs(const std::string& utf8);
std::string MsToUtf8(const MS_CHAR* text);
std::string MsToUtf8(const MsString& text);

// The path as the library takes it (absolute, UTF-16).
MsString ToMsPath(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::filesystem::path PathFromMs(const MS_CHAR* text);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace marksafe_cli

#endif  // MARKSAFE_TOOLS_MARKSAFE_TEXT_H_
