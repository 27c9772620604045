// One connection to an SQLite database file. SQL text is UTF-16; results
// come back as tables of UTF-16 text. Nothing is logged or thrown here: each
// operation returns SQLite's result code and keeps the last non-zero one.
#ifndef MARKSAFE_STORES_PLACES_SQLITE_DATABASE_H_
#define MARKSAFE_STORES_PLACES_SQLITE_DATABASE_H_

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>

#include "stores/places/sqlite/statement.h"

struct sqlite3;

namespace marksafe {
namespace SQLite {

class Database {
 public:
  // How Open opens the file.
  enum class OpenMode {
    kCreateIfMissing,  // reading and writing; a missing file is made
    kExistingOnly,     // reading and writing; a missing file is not made
    // Reading only (URI mode=ro), the file alone: SQLite neither writes
    // it nor reads, makes or changes a -wal or -shm file beside it
    // (immutable=1), so the folder stays exactly as it was. For a file
    // with no -wal or journal content pending.
    kReadOnlyUnchanging,
  };

  Database() = default;
  virtual ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Closes any open connection, then opens path (null: a private temporary
  // database) as mode says. Returns SQLite's result code. Even a failed
  // open may leave a connection, on which every statement fails.
  int Open(const char16_t* path, OpenMode mode = OpenMode::kCreateIfMissing);

  // Runs SQL whose rows are not wanted. Without a connection: 1.
  int Execute(const char16_t* sql);

  bool HasConnection() const { return connection != nullptr; }
  // The last non-zero result code (0 until something failed; 1 after a
  // statement was run without a connection).
  int32_t LastError() const { return lastError; }

  // Closes the connection, if any.
  void Close();

  // ---- Prepared statements (compiled once per connection and kept) ----

  // Runs sql (UTF-8, "?" for each value) with values bound, to its end.
  // Returns 0 or SQLite's result code.
  int Run(const char* sql, std::initializer_list<Value> values);

  // Runs a query with values bound and hands each row to on_row. Returns 0
  // or SQLite's result code (rows handed over before a failure stay).
  int ForEachRow(const char* sql, std::initializer_list<Value> values,
                 const std::function<void(const Statement&)>& on_row);

  // The rowid of the last row inserted on this connection.
  int64_t LastInsertId() const;

  // ---- One transaction around a whole import ----

  // Starts a write transaction at once (BEGIN IMMEDIATE), so that a store
  // another program is writing shows as SQLITE_BUSY before anything is
  // done. Returns SQLite's result code.
  int Begin();
  // Commits; on failure the transaction is rolled back. Returns 0 or
  // SQLite's result code.
  int Commit();
  // Undoes everything since Begin (nothing when no transaction is open).
  void Rollback();
  // True while a transaction started by Begin is open.
  bool InTransaction() const;
  // True when a failure ended or endangered the open transaction (the disk
  // is full, the file cannot be written, the store became locked, ...):
  // from then on no statement runs until Rollback.
  bool Aborted() const { return aborted; }

 private:
  // The cached statement for sql, reset and ready; null when it cannot be
  // compiled (lastError then holds the code).
  Statement* Prepared(const char* sql);
  // Keeps a failing code, and sees whether it ended the transaction.
  void NoteFailure(int rc);
  // Refuses statements after the transaction was aborted.
  bool Refused();

  sqlite3* connection = nullptr;
  int32_t lastError = 0;
  bool ownTransaction = false;
  bool aborted = false;
  std::unordered_map<std::string, std::unique_ptr<Statement>> statements;
};

}  // namespace SQLite
}  // namespace marksafe

#endif  // MARKSAFE_STORES_PLACES_SQLITE_DATABASE_H_
