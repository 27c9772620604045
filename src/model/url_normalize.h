// Web addresses in the form browsers store them: Firefox finds a bookmark by
// URL, and Chrome rewrites every address, only in the serialisation of the
// WHATWG URL Standard. Comparing a backup's raw address with a stored one
// therefore needs both sides in that form.
#ifndef MARKSAFE_MODEL_URL_NORMALIZE_H_
#define MARKSAFE_MODEL_URL_NORMALIZE_H_

#include <string>

namespace marksafe {

// Serialises url as the URL Standard does for web schemes (http, https, ftp,
// ws, wss, file): scheme and host lower-cased, an international host in
// punycode, the scheme's default port dropped, an empty path written "/",
// spaces, controls and non-ASCII characters of path, query and fragment
// percent-encoded as UTF-8. Other schemes keep their text except for the
// scheme's case. Returns false, with *out = url, when url does not parse.
bool NormalizeUrl(const std::u16string& url, std::u16string* out);

// Whether NormalizeUrl would succeed, without making its result.
bool IsUrl(const std::u16string& url);

// NormalizeUrl's result, or url itself when it does not parse.
std::u16string NormalizedOrSelf(const std::u16string& url);

}  // namespace marksafe

#endif  // MARKSAFE_MODEL_URL_NORMALIZE_H_
