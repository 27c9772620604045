#include "firefox/sql_text.h"

#include <limits>

#include "common/text.h"

namespace marksafe {
namespace firefox {

SqlArg::SqlArg(int value) : text_(NumberText(value)) {}
SqlArg::SqlArg(long long value) : text_(NumberText(value)) {}

std::u16string FormatSql(const char16_t* format,
                         std::initializer_list<SqlArg> args) {
  std::u16string out;
  auto next = args.begin();
  for (const char16_t* p = format; *p != 0; ++p) {
    if (*p == u'%' && (p[1] == u's' || p[1] == u'd')) {
      if (next != args.end()) out += (next++)->text();
      ++p;
    } else if (*p == u'%' && p[1] == u'%') {
      out.push_back(u'%');
      ++p;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

long long LeadingNumber(const std::u16string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  long long value = 0;
  const long long limit = std::numeric_limits<long long>::max() / 10 - 9;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (value > limit) return 0;  // not an id this store can hold
    value = value * 10 + (text[i] - u'0');
  }
  return negative ? -value : value;
}

}  // namespace firefox
}  // namespace marksafe
