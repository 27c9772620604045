// Hosts of web addresses: domain names, IPv4 and IPv6 addresses, and the
// opaque hosts of other schemes, parsed and written in the form browsers
// store them.
#ifndef MARKSAFE_MODEL_URL_HOST_H_
#define MARKSAFE_MODEL_URL_HOST_H_

#include <string>

namespace marksafe {
namespace url_host {

// Parses the host text of an address (UTF-8, as it stands between the
// authority's delimiters, possibly percent-encoded) and writes its
// serialisation to *out. special: the scheme is http, https, ftp, ws, wss or
// file, whose hosts are domains (lower-cased, international names in
// punycode, numbers read as IPv4 addresses); other schemes keep their host
// text, only percent-encoding controls and non-ASCII bytes. False when the
// host is not valid; *out is then unspecified.
bool ParseHost(const std::string& input, bool special, std::string* out);

}  // namespace url_host
}  // namespace marksafe

#endif  // MARKSAFE_MODEL_URL_HOST_H_
