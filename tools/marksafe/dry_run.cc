#include "dry_run.h"

#include <system_error>

#include "errors.h"
#include "html.h"
#include "marksafe/marksafe.h"
#include "output.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

void Copy(const fs::path& from, const fs::path& to, const std::string& step) {
  std::error_code ec;
  fs::copy(from, to, fs::copy_options::recursive, ec);
  if (ec) {
    Fail(step, "cannot copy " + PathToUtf8(from) + " for the dry run: " +
                   ec.message());
  }
}

}  // namespace

int RunDryRun(Browser target, const CommonOptions& options,
              const std::string& step,
              const std::function<Change(const CommonOptions&)>& run) {
  if (options.data.create_chrome_file) {
    Fail(step, options.data.profile_label +
                   " has no Bookmarks file yet: everything would be added");
  }
  const Location location = Locate(target, options.data);
  RequireUsableData(target, location, step);
  ScratchFolder scratch(step, "marksafe-dry-run-", "the dry run");
  CommonOptions copy = options;
  // The copy is the program's own: no browser writes into it, and what is
  // done to it is thrown away.
  copy.data.sandbox = true;
  copy.data.profile_running = false;
  copy.data.profile_in_use = nullptr;
  copy.data.close_profile = nullptr;
  copy.data.profile_label = DisplayName(target);
  copy.close_browsers = false;
  switch (target) {
    case Browser::kIe:
      copy.data.favorites = PathToUtf8(scratch.path() / "Favorites");
      Copy(location.path, scratch.path() / "Favorites", step);
      break;
    case Browser::kFirefox: {
      const fs::path places = scratch.path() / "places.sqlite";
      copy.data.places = PathToUtf8(places);
      Copy(location.path, places, step);
      // What Firefox has not yet moved into the database itself.
      fs::path wal = location.path, wal_copy = places;
      wal += "-wal";
      wal_copy += "-wal";
      std::error_code ec;
      if (fs::exists(wal, ec)) Copy(wal, wal_copy, step);
      break;
    }
    case Browser::kChrome:
      copy.data.chrome_bookmarks = PathToUtf8(scratch.path() / "Bookmarks");
      Copy(location.path, scratch.path() / "Bookmarks", step);
      break;
  }
  // What is added to the copy is no change to undo.
  const bool journal = marksafe_set_journal(false);
  const Change change = run(copy);
  marksafe_set_journal(journal);
  ShowDryRun(change.report, PathToUtf8(location.path));
  return kExitDone;
}

}  // namespace marksafe_cli
