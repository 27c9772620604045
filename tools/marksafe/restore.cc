// marksafe restore DIR --to BROWSER [--from BROWSER [--from-profile P]]
// [--all-parts] [--as-of WHEN]
#include <memory>

#include "backup_set_layout.h"
#include "commands.h"
#include "dry_run.h"
#include "errors.h"
#include "history.h"
#include "os.h"
#include "output.h"
#include "places_session.h"
#include "progress.h"
#include "set_parts.h"
#include "target.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

LibraryReport RestoreIe(const Location& favorites, const MsString& root,
                        const std::string& step) {
  InterruptToCancel cancel;
  int32_t progress = 0;  // the export's step counter; unused here
  LibraryReport report;
  const bool ok = RunWithProgress<bool>(
      "restoring into Internet Explorer",
      [&] {
        const bool done =
            backup_ie_pro(favorites.arg(), root.c_str(), true, true,
                          cancel.flag(), false, 0, 0, 0, 0, &progress);
        report = TakeLastReport();
        return done;
      });
  if (!ok) {
    FailWithReport(step,
                   cancel.interrupted() ? "interrupted; part of the set was "
                                          "restored"
                                        : FalseReason("backup_ie_pro"),
                   report);
  }
  return report;
}

LibraryReport RestoreFirefox(const Location& places, const MsString& root,
                             const std::string& step) {
  PlacesSession session(places, step);
  int32_t progress = 0;  // the export's step counter; unused here
  LibraryReport report;
  const bool ok = RunWithProgress<bool>(
      "restoring into Firefox",
      [&] {
        const bool done = restore_firefox_pro(session.handle(), root.c_str(),
                                              true, 0, 0, 0, 0, &progress);
        report = TakeLastReport();
        return done;
      });
  if (!ok) {
    FailWithReport(step, WithFirefoxHint(FalseReason("restore_firefox_pro")),
                   report);
  }
  return report;
}

LibraryReport RestoreChrome(const Location& chrome, const MsString& root,
                            const std::string& step) {
  ChromeCopy copy(chrome, step);
  LibraryReport report;
  const int32_t code = RunWithProgress<int32_t>("restoring into Chrome", [&] {
    const int32_t done = restore_chrome(chrome.arg(), root.c_str(), true);
    report = TakeLastReport();
    return done;
  });
  if (code != 0)
    FailWithReport(step, WithChromiumHint(CodeReason("restore_chrome", code)),
                   report);
  copy.Saved();
  return report;
}

// One part of the set, and nothing else, into the target.
LibraryReport RestorePart(Browser target, const SetPart& part,
                          const Location& location, const std::string& step) {
  const MsString folder = ToMsPath(part.folder);
  LibraryReport report;
  switch (target) {
    case Browser::kIe: {
      InterruptToCancel cancel;
      const bool ok =
          RunWithProgress<bool>("restoring into Internet Explorer", [&] {
            const bool done = marksafe_restore_favorites(
                location.arg(), folder.c_str(), cancel.flag());
            report = TakeLastReport();
            return done;
          });
      if (!ok) {
        FailWithReport(step,
                       cancel.interrupted()
                           ? "interrupted; part of the set was restored"
                           : FalseReason("marksafe_restore_favorites"),
                       report);
      }
      break;
    }
    case Browser::kFirefox: {
      PlacesSession session(location, step);
      const bool ok = RunWithProgress<bool>("restoring into Firefox", [&] {
        const bool done =
            import_2_firefox_from_bk(session.handle(), folder.c_str(), false);
        report = TakeLastReport();
        return done;
      });
      if (!ok) {
        FailWithReport(step,
                       WithFirefoxHint(FalseReason("import_2_firefox_from_bk")),
                       report);
      }
      break;
    }
    case Browser::kChrome: {
      ChromeCopy copy(location, step);
      const int32_t code =
          RunWithProgress<int32_t>("restoring into Chrome", [&] {
            const int32_t done =
                restore_chrome(location.arg(), folder.c_str(), false);
            report = TakeLastReport();
            return done;
          });
      if (code != 0) {
        FailWithReport(
            step, WithChromiumHint(CodeReason("restore_chrome", code)), report);
      }
      copy.Saved();
      break;
    }
  }
  return report;
}

// The parts the combined restore into target reads.
std::string CombinedParts(Browser target, const fs::path& root) {
  std::string parts;
  for (Browser browser : kAllBrowsers) {
    // Only these take every part of the set; Chrome takes its own.
    if (target == Browser::kChrome && browser != Browser::kChrome) continue;
    if (GetPartState(root, browser) != PartState::kPresent) continue;
    parts += (parts.empty() ? "" : ", ") + PartName(browser);
  }
  return parts;
}

// The three slots at once, as the library's combined restores take them.
Change RestoreAllParts(Browser target, const fs::path& root,
                       const CommonOptions& options, const std::string& step) {
  if (GetPartState(root, target) == PartState::kMissing) {
    // The other browsers' parts are what convert takes.
    for (Browser other : kAllBrowsers) {
      if (GetPartState(root, other) != PartState::kPresent) continue;
      Fail(step, "the backup set in " + PathToUtf8(root) + " has no " +
                     DisplayName(target) + " part (" + PartName(target) +
                     "); to bring its " + DisplayName(other) +
                     " part over use: marksafe convert DIR --from " +
                     KeyName(other) + " --to " + KeyName(target));
    }
  }
  RequirePart(root, target, step);
  RequireCompleteParts(root, step);
  const Location location = PrepareTarget(target, options, step);

  Change change;
  change.before = Measure(target, location);
  const MsString ms_root = ToMsPath(root);
  switch (target) {
    case Browser::kIe:
      change.report = RestoreIe(location, ms_root, step);
      break;
    case Browser::kFirefox:
      change.report = RestoreFirefox(location, ms_root, step);
      break;
    case Browser::kChrome:
      change.report = RestoreChrome(location, ms_root, step);
      break;
  }
  change.after = Measure(target, location);
  change.parts = CombinedParts(target, root);
  return change;
}

}  // namespace

Change RestoreInto(Browser target, const fs::path& root,
                   const CommonOptions& options, const PartChoice& choice) {
  const std::string step = std::string("restore into ") + KeyName(target);
  RequireBackupRoot(root, step);
  if (choice.all_parts) return RestoreAllParts(target, root, options, step);
  SetPart part = ChooseRestorePart(root, target, options.data, choice.from,
                                   choice.from_profile, step);
  // As of a date: Firefox and Chrome take the part's snapshot as it is
  // read; Internet Explorer takes it written out as a part of its own.
  std::unique_ptr<SnapshotPart> as_of;
  if (!choice.as_of.empty()) {
    const fs::path snapshot = FindSnapshot(
        root, PathToUtf8(part.folder.filename()), choice.as_of, step);
    if (target != Browser::kIe) {
      Change change = RestoreWhole(target, snapshot, MARKSAFE_STORE_SNAPSHOT,
                                   options, step);
      part.name += " as of " + PathToUtf8(snapshot.parent_path().filename());
      change.parts = DescribePart(part);
      return change;
    }
    as_of = std::make_unique<SnapshotPart>(snapshot, part, step);
    part = as_of->part();
  }
  const std::string position = PositionFile(part.family);
  std::error_code ec;
  if (!position.empty() && !fs::is_regular_file(part.folder / position, ec)) {
    Fail(step, "the part " + part.name + " has no " + position);
  }
  return RestorePartInto(target, part, options, step);
}

Change RestorePartInto(Browser target, const SetPart& part,
                       const CommonOptions& options, const std::string& step) {
  const Location location = PrepareTarget(target, options, step);
  Change change;
  change.before = Measure(target, location);
  change.report = RestorePart(target, part, location, step);
  change.after = Measure(target, location);
  change.parts = DescribePart(part);
  return change;
}

int RunRestore(const RestoreOptions& options) {
  const fs::path root = fs::absolute(PathFromUtf8(options.dir));
  const std::string step = std::string("restore into ") + KeyName(options.to);
  if (options.dry_run) {
    if (!options.parts.all_parts) {
      RequireBackupRoot(root, step);
      const SetPart part = ChooseRestorePart(
          root, options.to, options.common.data, options.parts.from,
          options.parts.from_profile, step);
      Say("From " + DescribePart(part) +
          (options.parts.as_of.empty()
               ? ""
               : " as of " + PathToUtf8(FindSnapshot(
                                 root, PathToUtf8(part.folder.filename()),
                                 options.parts.as_of, step)
                                            .parent_path()
                                            .filename())));
    }
    return RunDryRun(options.to, options.common, step,
                     [&](const CommonOptions& copy) {
                       return RestoreInto(options.to, root, copy,
                                          options.parts);
                     });
  }
  const Change change =
      RestoreInto(options.to, root, options.common, options.parts);
  return ShowRestored(change, change.parts + " from " + PathToUtf8(root),
                      options.to, step);
}

int ShowRestored(const Change& change, const std::string& what, Browser to,
                 const std::string& step) {
  const bool lost = change.report.AnythingLost();
  Say(std::string(lost ? "Restored with losses " : "Restored ") + what +
      " into " + DisplayName(to));
  ShowReport(change.report, "  ");
  Say("  " + std::string(DisplayName(to)) + ": " + DescribeChange(change));
  if (lost) Fail(step, "not everything could be written (warnings above)");
  return kExitDone;
}

}  // namespace marksafe_cli
