// The reason behind a system error code, in words, for the messages that
// name a failed step to the user ("cannot read /x/Bookmarks: access
// denied").
#ifndef MARKSAFE_BASE_ERROR_WORDS_H_
#define MARKSAFE_BASE_ERROR_WORDS_H_

#include <cstdint>
#include <string>

namespace marksafe {

// "file not found", "access denied", "in use by another program", ...;
// "error <code>" for a code without words of its own.
std::string ErrorWords(uint32_t code);

}  // namespace marksafe

#endif  // MARKSAFE_BASE_ERROR_WORDS_H_
