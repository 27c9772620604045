// Owning handles for SQLite connections and statements in the benchmark.
#ifndef MARKSAFE_BENCH_SQLITE_HANDLES_H_
#define MARKSAFE_BENCH_SQLITE_HANDLES_H_

#include <sqlite3.h>

#include <memory>

namespace bench {

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtCloser {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtCloser>;

}  // namespace bench

#endif  // MARKSAFE_BENCH_SQLITE_HANDLES_H_
