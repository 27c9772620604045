#include "stores/places/sqlite/statement.h"

#include <sqlite3.h>

#include <utility>

#include "platform/platform.h"

namespace marksafe {
namespace SQLite {

Value::Value(const std::u16string& text)
    : kind_(Kind::kText), text_(platform::ToUtf8(text)) {}

Value Value::Utf8(std::string text) {
  Value value;
  value.kind_ = Kind::kText;
  value.text_ = std::move(text);
  return value;
}

Statement::~Statement() { sqlite3_finalize(statement_); }

int Statement::Prepare(sqlite3* connection, const char* sql) {
  sqlite3_finalize(statement_);
  statement_ = nullptr;
  if (connection == nullptr) return SQLITE_MISUSE;
  return sqlite3_prepare_v2(connection, sql, -1, &statement_, nullptr);
}

int Statement::Bind(std::initializer_list<Value> values) {
  if (statement_ == nullptr) return SQLITE_MISUSE;
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  int index = 1;
  for (const Value& value : values) {
    int rc = SQLITE_OK;
    switch (value.kind()) {
      case Value::Kind::kNull:
        rc = sqlite3_bind_null(statement_, index);
        break;
      case Value::Kind::kInteger:
        rc = sqlite3_bind_int64(statement_, index, value.integer());
        break;
      case Value::Kind::kText:
        rc = sqlite3_bind_text(statement_, index, value.text().data(),
                               static_cast<int>(value.text().size()),
                               SQLITE_TRANSIENT);
        break;
    }
    if (rc != SQLITE_OK) return rc;
    ++index;
  }
  return SQLITE_OK;
}

int Statement::Step() {
  if (statement_ == nullptr) return SQLITE_MISUSE;
  return sqlite3_step(statement_);
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

int64_t Statement::Integer(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string Statement::Utf8(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  if (text == nullptr) return std::string();
  return std::string(
      reinterpret_cast<const char*>(text),
      static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}

std::u16string Statement::Text(int column) const {
  return platform::FromUtf8(Utf8(column));
}

void Statement::Reset() {
  if (statement_ != nullptr) sqlite3_reset(statement_);
}

}  // namespace SQLite
}  // namespace marksafe
