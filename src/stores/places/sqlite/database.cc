#include "stores/places/sqlite/database.h"

#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "context/job.h"
#include "context/store_lock.h"
#include "platform/platform.h"
#include "stores/places/sqlite/env_vfs.h"

namespace marksafe {
namespace SQLite {

Database::~Database() { Close(); }

void Database::Close() {
  // Every compiled statement goes before the connection it belongs to.
  statements.clear();
  ownTransaction = false;
  aborted = false;
  if (connection != nullptr) {
    sqlite3_close(connection);
    connection = nullptr;
  }
}

namespace {

// A file name as an SQLite URI ("file:" form): the characters that URIs
// give a meaning ('%', '?', '#') percent-encoded, and a name that starts
// with a separator given an empty authority, so that "//server/share"
// stays a path.
std::string FileUri(const std::string& native, const std::string& query) {
  std::string uri = "file:";
  if (!native.empty() && (native[0] == '/' || native[0] == '\\')) uri += "//";
  for (const char c : native) {
    if (c == '%' || c == '?' || c == '#') {
      AppendPercentEscape(static_cast<unsigned char>(c), &uri);
    } else {
      uri += c;
    }
  }
  return uri + "?" + query;
}

}  // namespace

int Database::Open(const char16_t* path, OpenMode mode) {
  Close();
  // The file system's form of the path ("\" becomes "/" on POSIX).
  std::string native = path == nullptr
                           ? std::string()
                           : platform::NativePathUtf8(std::u16string(path));
  int flags = SQLITE_OPEN_READWRITE;
  switch (mode) {
    case OpenMode::kCreateIfMissing:
      flags |= SQLITE_OPEN_CREATE;
      break;
    case OpenMode::kExistingOnly:
      break;
    case OpenMode::kReadOnlyUnchanging:
      if (native.empty()) break;  // a temporary database is never read-only
      flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
      native = FileUri(native, "mode=ro&immutable=1");
      break;
  }
  // A FIFO or device, or a link to one, is no database: opening one would
  // wait for a writer. The size is read through a link, and only a file
  // has one.
  platform::EntryKind kind;
  uint64_t size = 0;
  if (path != nullptr && platform::GetEntryKind(path, &kind).ok() &&
      !platform::GetFileSize(path, &size).ok()) {
    lastError = SQLITE_CANTOPEN;
    return lastError;
  }
  // Through the Env, so that a test Env reaches the file's writes.
  int rc = sqlite3_open_v2(native.c_str(), &connection, flags, EnvVfsName());
  if (rc != SQLITE_OK) lastError = rc;
  return rc;
}

int Database::Execute(const char16_t* sql) {
  if (connection == nullptr) {
    lastError = 1;
    return 1;
  }
  if (Refused()) return SQLITE_ABORT;
  const std::string text = platform::ToUtf8(FromPointer(sql));
  char* message = nullptr;
  int rc = sqlite3_exec(connection, text.c_str(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK) NoteFailure(rc);
  sqlite3_free(message);
  return rc;
}

void Database::NoteFailure(int rc) {
  lastError = rc;
  if (!ownTransaction || aborted) return;
  switch (rc & 0xFF) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_NOMEM:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_INTERRUPT:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_ABORT:
      aborted = true;
      return;
    default:
      // A refused row (a constraint, a missing column) fails alone, unless
      // SQLite ended the transaction because of it.
      if (sqlite3_get_autocommit(connection) != 0) aborted = true;
  }
}

bool Database::Refused() {
  if (!aborted) return false;
  lastError = SQLITE_ABORT;
  return true;
}

Statement* Database::Prepared(const char* sql) {
  if (connection == nullptr) {
    lastError = 1;
    return nullptr;
  }
  if (Refused()) return nullptr;
  std::unique_ptr<Statement>& slot = statements[sql];
  if (!slot) {
    auto statement = std::make_unique<Statement>();
    int rc = statement->Prepare(connection, sql);
    if (rc != SQLITE_OK) {
      statements.erase(sql);
      NoteFailure(rc);
      return nullptr;
    }
    slot = std::move(statement);
  }
  return slot.get();
}

int Database::Run(const char* sql, std::initializer_list<Value> values) {
  Statement* statement = Prepared(sql);
  if (statement == nullptr) return lastError != 0 ? lastError : 1;
  int rc = statement->Bind(values);
  if (rc == SQLITE_OK) {
    do {
      rc = statement->Step();
    } while (rc == SQLITE_ROW);
  }
  statement->Reset();
  if (rc == SQLITE_DONE) return SQLITE_OK;
  NoteFailure(rc);
  return rc;
}

int Database::ForEachRow(const char* sql, std::initializer_list<Value> values,
                         const std::function<void(const Statement&)>& on_row) {
  Statement* statement = Prepared(sql);
  if (statement == nullptr) return lastError != 0 ? lastError : 1;
  // Reset on every way out, so that no read lock outlives the call.
  struct ResetOnExit {
    Statement* statement;
    ~ResetOnExit() { statement->Reset(); }
  } reset{statement};
  int rc = statement->Bind(values);
  if (rc == SQLITE_OK) {
    while ((rc = statement->Step()) == SQLITE_ROW) on_row(*statement);
  }
  if (rc == SQLITE_DONE) return SQLITE_OK;
  NoteFailure(rc);
  return rc;
}

int64_t Database::LastInsertId() const {
  return connection == nullptr ? 0 : sqlite3_last_insert_rowid(connection);
}

int Database::Begin() {
  if (connection == nullptr) {
    lastError = 1;
    return 1;
  }
  // Another run that writes the store is waited for a few seconds; the
  // transaction then holds the write lock across every read it depends on.
  sqlite3_busy_timeout(
      connection, static_cast<int>(context::Current().options().lock_wait_ms));
  int rc =
      sqlite3_exec(connection, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  sqlite3_busy_timeout(connection, 0);
  if (rc != SQLITE_OK) {
    lastError = rc;
    return rc;
  }
  ownTransaction = true;
  aborted = false;
  return SQLITE_OK;
}

int Database::Commit() {
  if (!ownTransaction) return SQLITE_OK;
  if (aborted) {
    Rollback();
    return SQLITE_ABORT;
  }
  int rc = sqlite3_exec(connection, "COMMIT", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    lastError = rc;
    Rollback();
    return rc;
  }
  ownTransaction = false;
  return SQLITE_OK;
}

void Database::Rollback() {
  if (connection != nullptr && sqlite3_get_autocommit(connection) == 0) {
    // Statements still running would keep the rollback from finishing.
    for (auto& entry : statements) entry.second->Reset();
    sqlite3_exec(connection, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  ownTransaction = false;
  aborted = false;
}

bool Database::InTransaction() const { return ownTransaction; }

}  // namespace SQLite
}  // namespace marksafe
