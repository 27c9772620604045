// The quick test that spares most addresses the full parse of
// url_normalize.
#ifndef MARKSAFE_MODEL_URL_COMMON_FORM_H_
#define MARKSAFE_MODEL_URL_COMMON_FORM_H_

#include <cstddef>
#include <string>

namespace marksafe {

// Whether url is an http or https address in the form a parse would write
// back unchanged, but for an empty path, found without parsing: a
// lower-case host and a path, query and fragment that need no escape. Most
// stored addresses are such, and merges and comparisons normalise every
// one. *host_end is where the host ends. False for anything it is unsure
// of (upper case, ports, credentials, numeric or international hosts, dot
// segments, characters that would be escaped), which takes the full parse.
bool IsCommonWebForm(const std::u16string& url, size_t* host_end);

}  // namespace marksafe

#endif  // MARKSAFE_MODEL_URL_COMMON_FORM_H_
