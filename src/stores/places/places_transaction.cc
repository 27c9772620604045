#include "stores/places/places_transaction.h"

#include "base/error_codes.h"
#include "context/job.h"
#include "platform/debug_log.h"
#include "platform/platform.h"
#include "stores/places/places_journal.h"

namespace marksafe {
namespace firefox {
ImportTransaction::ImportTransaction(ms_places* handle) : handle_(handle) {
  if (handle_ == nullptr || !handle_->database.HasConnection()) return;
  SQLite::Database& db = handle_->database;
  if (db.InTransaction()) return;  // an enclosing import owns it
  // Refused when Firefox has started since the handle was built, when the
  // store itself (the handle has only read so far) cannot be opened for
  // writing, or when it is damaged: nothing is written to it then.
  if (FirefoxHoldsStore(handle_->databasePath)) {
    code_ = kErrorSharingViolation;
  } else {
    code_ = MakePlacesWritable(handle_).code();
    if (code_ == kErrorSuccess) code_ = PlacesIntact(handle_).code();
  }
  if (code_ != kErrorSuccess) {
    refused_ = true;
    return;
  }
  int rc = db.Begin();
  if (rc == 0) {
    owner_ = true;
    return;
  }
  refused_ = true;
  if (IsLockedCode(rc)) {
    DebugLog(
        u"[FirefoxBookmark].%s is locked: Firefox is running, nothing "
        u"is written\n",
        handle_->databasePath.c_str());
    code_ = kErrorSharingViolation;
  } else {
    DebugLog(u"[FirefoxBookmark].Cannot begin writing %s: %ld\n",
             handle_->databasePath.c_str(), static_cast<long>(rc));
    code_ = kErrorDatabaseFailure;
  }
}

ImportTransaction::~ImportTransaction() {
  if (!owner_) return;
  handle_->database.Rollback();
  DropJournal(handle_);
}

void ImportTransaction::NothingKept() {
  context::Current().report().AddedWasNotKept(
      handle_->databasePath,
      "write failed: " + platform::ToUtf8(kNothingWritten));
}

bool ImportTransaction::Finish(bool result) {
  if (handle_ == nullptr || refused_) return false;
  SQLite::Database& db = handle_->database;
  if (!owner_) {
    kept_ = !db.Aborted();
    if (!kept_) code_ = kErrorDatabaseFailure;
    return result && kept_;
  }
  owner_ = false;
  if (!db.Aborted()) CompleteJournal(handle_);
  if (db.Aborted()) {
    long code = static_cast<long>(db.LastError());
    db.Rollback();
    DropJournal(handle_);
    NothingKept();
    DebugLog(
        u"[FirefoxBookmark].Import into %s stopped by a database "
        u"failure (%ld): nothing of it was written\n",
        handle_->databasePath.c_str(), code);
    code_ = kErrorDatabaseFailure;
    return false;
  }
  int rc = db.Commit();
  if (rc != 0) {
    DropJournal(handle_);
    NothingKept();
    DebugLog(
        u"[FirefoxBookmark].Import into %s could not be committed "
        u"(%ld): nothing of it was written\n",
        handle_->databasePath.c_str(), static_cast<long>(rc));
    code_ = IsLockedCode(rc) ? kErrorSharingViolation : kErrorDatabaseFailure;
    return false;
  }
  kept_ = true;
  return result;
}

}  // namespace firefox
}  // namespace marksafe
