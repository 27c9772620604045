// Legacy character sets through the system's code pages.
#include <climits>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace marksafe {
namespace platform {
namespace {

// The code page of a character set label (lower case); 0 for none known.
UINT CodePageOf(const std::string& name) {
  static const struct {
    const char* name;
    UINT code_page;
  } kSets[] = {
      {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
      {"windows-1253", 1253}, {"windows-1254", 1254}, {"windows-1255", 1255},
      {"windows-1256", 1256}, {"windows-1257", 1257}, {"windows-1258", 1258},
      {"windows-874", 874},   {"cp1250", 1250},       {"cp1251", 1251},
      {"cp1252", 1252},       {"cp1253", 1253},       {"cp1254", 1254},
      {"cp1255", 1255},       {"cp1256", 1256},       {"cp1257", 1257},
      {"cp1258", 1258},       {"iso-8859-1", 28591},  {"iso-8859-2", 28592},
      {"iso-8859-3", 28593},  {"iso-8859-4", 28594},  {"iso-8859-5", 28595},
      {"iso-8859-6", 28596},  {"iso-8859-7", 28597},  {"iso-8859-8", 28598},
      {"iso-8859-9", 28599},  {"iso-8859-13", 28603}, {"iso-8859-15", 28605},
      {"koi8-r", 20866},      {"koi8-u", 21866},      {"shift_jis", 932},
      {"windows-31j", 932},   {"euc-jp", 20932},      {"iso-2022-jp", 50220},
      {"gbk", 936},           {"gb2312", 936},        {"gb18030", 54936},
      {"big5", 950},          {"euc-kr", 949},        {"ibm866", 866},
      {"cp866", 866},         {"macintosh", 10000},   {"us-ascii", 20127},
      {"utf-8", 65001},
  };
  for (const auto& set : kSets) {
    if (name == set.name) return set.code_page;
  }
  return 0;
}

}  // namespace

bool DecodeCharset(const std::string& bytes, const std::string& charset,
                   std::u16string* out) {
  out->clear();
  std::string name = charset;
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  const UINT code_page = CodePageOf(name);
  if (code_page == 0 || !::IsValidCodePage(code_page)) return false;
  if (bytes.empty()) return true;
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return false;
  win32::KeepLastError keep;
  const int length = static_cast<int>(bytes.size());
  // No MB_ERR_INVALID_CHARS: what the code page cannot map becomes U+FFFD
  // (or the page's own default character).
  const int needed =
      ::MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return false;
  std::vector<wchar_t> wide(static_cast<size_t>(needed));
  const int written = ::MultiByteToWideChar(code_page, 0, bytes.data(), length,
                                            wide.data(), needed);
  *out = win32::FromWide(wide.data(),
                          written > 0 ? static_cast<size_t>(written) : 0);
  return true;
}

}  // namespace platform
}  // namespace marksafe
