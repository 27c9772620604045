#include "firefox/sqlite/database.h"

#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

#include "firefox/sqlite/utf8mbstr.h"
#include "platform/platform.h"

namespace marksafe {
namespace SQLite {

Database::~Database() { Close(); }

void Database::Close() {
  if (connection != nullptr) {
    sqlite3_close(connection);
    connection = nullptr;
  }
}

int Database::Open(const char16_t* path, OpenMode mode) {
  Close();
  // The file system's form of the path ("\" becomes "/" on POSIX).
  std::string native = path == nullptr
                           ? std::string()
                           : platform::NativePathUtf8(std::u16string(path));
  int flags = SQLITE_OPEN_READWRITE;
  if (mode == OpenMode::kCreateIfMissing) flags |= SQLITE_OPEN_CREATE;
  int rc = sqlite3_open_v2(native.c_str(), &connection, flags, nullptr);
  if (rc != SQLITE_OK) lastError = rc;
  return rc;
}

int Database::Execute(const char16_t* sql) {
  if (connection == nullptr) {
    lastError = 1;
    return 1;
  }
  UTF8MBSTR text(sql);
  char* message = nullptr;
  int rc = sqlite3_exec(connection, text.buffer(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK) lastError = rc;
  sqlite3_free(message);
  return rc;
}

Table Database::Query(const char16_t* sql, int* rc_out) {
  if (connection == nullptr) {
    lastError = 1;
    if (rc_out != nullptr) *rc_out = 1;
    return Table();
  }
  UTF8MBSTR text(sql);
  char** result = nullptr;
  int row_count = 0;
  int column_count = 0;
  char* message = nullptr;
  int rc = sqlite3_get_table(connection, text.buffer(), &result, &row_count,
                             &column_count, &message);
  if (rc != SQLITE_OK) lastError = rc;
  if (rc_out != nullptr) *rc_out = rc;
  sqlite3_free(message);
  if (result == nullptr) return Table();

  std::vector<std::u16string> names;
  std::vector<std::vector<std::u16string>> rows;
  // Released on every path below, even when a conversion throws.
  struct ResultRelease {
    char** result;
    ~ResultRelease() { sqlite3_free_table(result); }
  } release{result};
  if (rc == SQLITE_OK && column_count > 0) {
    names.reserve(column_count);
    for (int c = 0; c < column_count; ++c) {
      names.push_back(WideFromUtf8(result[c]));
    }
    rows.reserve(row_count);
    for (int r = 0; r < row_count; ++r) {
      std::vector<std::u16string> row;
      row.reserve(column_count);
      for (int c = 0; c < column_count; ++c) {
        row.push_back(
            WideFromUtf8(result[column_count + r * column_count + c]));
      }
      rows.push_back(std::move(row));
    }
  }
  return Table(std::move(names), std::move(rows));
}

}  // namespace SQLite
}  // namespace marksafe
