// The values today's Firefox keeps beside each place and bookmark, computed
// the way Firefox computes them: the URL hash through which it finds a place
// by URL, the 12-character guids, and the reversed host.
#ifndef MARKSAFE_STORES_PLACES_PLACES_KEYS_H_
#define MARKSAFE_STORES_PLACES_PLACES_KEYS_H_

#include <cstdint>
#include <string>

namespace marksafe {
namespace firefox {

// Firefox's 48-bit hash of a URL (UTF-8): the 32-bit hash of its first 1500
// bytes, plus the low 16 bits of the hash of its scheme shifted up by 32
// when a ":" occurs in the first 50 bytes.
int64_t UrlHash(const std::string& url_utf8);

// A new guid: 9 random bytes from the system's generator in base64url (12
// characters of A-Z a-z 0-9 - _). False when no random bytes are available.
bool NewGuid(std::string* out);

// The host of a "scheme://host/..." URL, lower-cased and reversed with a
// "." added ("www.mozilla.org" gives "gro.allizom.www."); empty when the
// URL names no host.
std::string ReversedHost(const std::string& url_utf8);

}  // namespace firefox
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_PLACES_KEYS_H_
