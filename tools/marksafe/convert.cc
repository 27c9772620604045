// marksafe convert DIR --from X --to Y [--as-of WHEN]
#include <memory>

#include "backup_set/interchange.h"
#include "backup_set_layout.h"
#include "commands.h"
#include "dry_run.h"
#include "errors.h"
#include "history.h"
#include "output.h"
#include "places_session.h"
#include "progress.h"
#include "target.h"

namespace fs = std::filesystem;

namespace marksafe_cli {
namespace {

// The folder each conversion fills in the target browser, as the library
// names it.
std::string ImportedFolder(Browser from, Browser to) {
  namespace names = marksafe::interchange;
  const char16_t* name = from == Browser::kIe ? names::kImportedFromIe
                         : from == Browser::kFirefox
                             ? names::kImportedFromFirefox
                         : to == Browser::kIe ? names::kImportedFromChromeLc
                                              : names::kImportedFromChrome;
  return MsToUtf8(reinterpret_cast<const MS_CHAR*>(name));
}

LibraryReport IntoFirefox(Browser from, const Location& places,
                          const MsString& root, const std::string& step) {
  PlacesSession session(places, step);
  const std::string label = "converting into Firefox";
  LibraryReport report;
  if (from == Browser::kIe) {
    const bool ok = RunWithProgress<bool>(label, [&] {
      const bool done =
          import_2_firefox_from_ie_bk(session.handle(), root.c_str(), true);
      report = TakeLastReport();
      return done;
    });
    if (!ok) {
      FailWithReport(
          step, WithFirefoxHint(FalseReason("import_2_firefox_from_ie_bk")),
          report);
    }
  } else {
    const int32_t code = RunWithProgress<int32_t>(label, [&] {
      const int32_t done =
          import_chrome_bk_2_firefox(session.handle(), root.c_str(), true);
      report = TakeLastReport();
      return done;
    });
    if (code != 0) {
      FailWithReport(
          step, WithFirefoxHint(CodeReason("import_chrome_bk_2_firefox", code)),
          report);
    }
  }
  return report;
}

LibraryReport IntoIe(Browser from, const Location& favorites,
                     const MsString& root, const std::string& step) {
  const std::string label = "converting into Internet Explorer";
  LibraryReport report;
  if (from == Browser::kFirefox) {
    // This export has no look-up of its own: it always gets the folder.
    const bool ok = RunWithProgress<bool>(label, [&] {
      const bool done = import_firefox_bk_2_folder(
          root.c_str(), true, favorites.ms_path.c_str(), nullptr);
      report = TakeLastReport();
      return done;
    });
    if (!ok) {
      FailWithReport(step, FalseReason("import_firefox_bk_2_folder"), report);
    }
  } else {
    const int32_t code = RunWithProgress<int32_t>(label, [&] {
      const int32_t done =
          import_chrome_bk_2_ie(root.c_str(), true, favorites.arg());
      report = TakeLastReport();
      return done;
    });
    if (code != 0) {
      FailWithReport(step, CodeReason("import_chrome_bk_2_ie", code), report);
    }
  }
  return report;
}

LibraryReport IntoChrome(Browser from, const Location& chrome,
                         const MsString& root, const std::string& step) {
  ChromeCopy copy(chrome, step);
  const std::string label = "converting into Chrome";
  // import_ie_2_chrome wants two pointers that are not null; it reads
  // neither.
  static const int32_t kUnused = 1;
  LibraryReport report;
  const int32_t code = RunWithProgress<int32_t>(label, [&] {
    const int32_t done =
        from == Browser::kIe
            ? import_ie_2_chrome(chrome.arg(), root.c_str(), true, nullptr,
                                 &kUnused, &kUnused)
            : import_firefox_2_chrome(chrome.arg(), root.c_str(), true,
                                      nullptr);
    report = TakeLastReport();
    return done;
  });
  if (code != 0) {
    FailWithReport(step,
                   CodeReason(from == Browser::kIe ? "import_ie_2_chrome"
                                                   : "import_firefox_2_chrome",
                              code),
                   report);
  }
  copy.Saved();
  return report;
}

}  // namespace

Change ConvertPart(Browser from, Browser to, const fs::path& root,
                   const CommonOptions& options) {
  const std::string step =
      std::string("convert ") + KeyName(from) + " to " + KeyName(to);
  if (from == to) FailUsage("convert: --from and --to name the same browser");
  RequireBackupRoot(root, step);
  RequirePart(root, from, step);
  const Location location = PrepareTarget(to, options, step);

  Change change;
  change.before = Measure(to, location);
  const MsString ms_root = ToMsPath(root);
  switch (to) {
    case Browser::kIe:
      change.report = IntoIe(from, location, ms_root, step);
      break;
    case Browser::kFirefox:
      change.report = IntoFirefox(from, location, ms_root, step);
      break;
    case Browser::kChrome:
      change.report = IntoChrome(from, location, ms_root, step);
      break;
  }
  change.after = Measure(to, location);
  return change;
}

int RunConvert(const ConvertOptions& options) {
  fs::path root = fs::absolute(PathFromUtf8(options.dir));
  const std::string step =
      std::string("convert ") + KeyName(options.from) + " to " +
      KeyName(options.to);
  if (options.from == options.to) {
    FailUsage("convert: --from and --to name the same browser");
  }
  std::string source = PartName(options.from) + " of " + PathToUtf8(root);
  // As of a date: Firefox and Chrome take the part's snapshot as it is
  // read; Internet Explorer takes it written out as the part of a set of
  // its own, on the one conversion path.
  fs::path snapshot;
  std::unique_ptr<SnapshotPart> as_of;
  if (!options.as_of.empty()) {
    RequireBackupRoot(root, step);
    SetPart slot;
    slot.family = options.from;
    slot.name = PartName(options.from);
    slot.folder = PartFolder(root, options.from);
    snapshot = FindSnapshot(root, PathToUtf8(slot.folder.filename()),
                            options.as_of, step);
    source = slot.name + " as of " +
             PathToUtf8(snapshot.parent_path().filename());
    Say("From " + source);
    if (options.to == Browser::kIe) {
      as_of = std::make_unique<SnapshotPart>(snapshot, slot, step);
      root = as_of->root();
    }
  }
  const auto run = [&](const CommonOptions& common) {
    return snapshot.empty() || as_of
               ? ConvertPart(options.from, options.to, root, common)
               : RestoreWhole(options.to, snapshot, MARKSAFE_STORE_SNAPSHOT,
                              common, step);
  };
  if (options.dry_run) {
    return RunDryRun(options.to, options.common,
                     std::string("convert into ") + KeyName(options.to), run);
  }
  const Change change = run(options.common);
  const bool lost = change.report.AnythingLost();
  Say(std::string(lost ? "Converted with losses " : "Converted ") + source +
      " into " + DisplayName(options.to) + " (folder \"" +
      ImportedFolder(options.from, options.to) + "\")");
  ShowReport(change.report, "  ");
  Say("  " + std::string(DisplayName(options.to)) + ": " +
      DescribeChange(change));
  if (lost) Fail(step, "not everything could be written (warnings above)");
  return kExitDone;
}

}  // namespace marksafe_cli
