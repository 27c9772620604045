// One connection to an SQLite database file. SQL text is UTF-16; results
// come back as tables of UTF-16 text. Nothing is logged or thrown here: each
// operation returns SQLite's result code and keeps the last non-zero one.
#ifndef MARKSAFE_FIREFOX_SQLITE_DATABASE_H_
#define MARKSAFE_FIREFOX_SQLITE_DATABASE_H_

#include <cstdint>

#include "firefox/sqlite/table.h"

struct sqlite3;

namespace marksafe {
namespace SQLite {

class Database {
 public:
  // Whether Open may create a missing file.
  enum class OpenMode { kCreateIfMissing, kExistingOnly };

  Database() = default;
  virtual ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Closes any open connection, then opens path (null: a private temporary
  // database) for reading and writing. Returns SQLite's result code. Even
  // a failed open may leave a connection, on which every statement fails.
  int Open(const char16_t* path, OpenMode mode = OpenMode::kCreateIfMissing);

  // Runs SQL whose rows are not wanted. Without a connection: 1.
  int Execute(const char16_t* sql);

  // Runs a query and returns every row. A failed query gives an empty
  // table; its code goes to lastError and, when rc is not null, to *rc.
  Table Query(const char16_t* sql, int* rc = nullptr);

  bool HasConnection() const { return connection != nullptr; }
  // The last non-zero result code (0 until something failed; 1 after a
  // statement was run without a connection).
  int32_t LastError() const { return lastError; }

  // Closes the connection, if any.
  void Close();

 private:
  sqlite3* connection = nullptr;
  int32_t lastError = 0;
};

}  // namespace SQLite
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_SQLITE_DATABASE_H_
