#include "jobs/html_import_job.h"

#include <array>
#include <string>

#include "base/error_codes.h"
#include "base/text.h"
#include "context/job.h"
#include "jobs/store_jobs.h"
#include "model/report.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "stores/html/html_reader.h"

namespace marksafe {
namespace jobs {
namespace {

// True when text looks like bookmark HTML: it has the format's doctype or
// at least one <DL> list (ASCII case ignored; in a UTF-16 file the zero
// bytes of its ASCII characters are passed over). One pass, no copy: the
// file may be hundreds of megabytes. Neither word's first character comes
// again within it, so a broken match restarts at the current character.
bool LooksLikeBookmarkHtml(const std::string& text) {
  const bool utf16 =
      text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') ||
                           (text[0] == '\xFE' && text[1] == '\xFF'));
  const std::array<std::string, 2> words = {"netscape-bookmark-file", "<dl"};
  std::array<size_t, 2> matched{};
  for (char c : text) {
    if (utf16 && c == '\0') continue;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (size_t i = 0; i < words.size(); ++i) {
      if (c == words[i][matched[i]]) {
        if (++matched[i] == words[i].size()) return true;
      } else {
        matched[i] = c == words[i][0] ? 1 : 0;
      }
    }
  }
  return false;
}

// The report entry of each root: its index in the report's roots plus one
// (0: none).
using RootEntries = std::array<size_t, model::kRootCount>;

// What the reader left out of source: each link whose address is no URL
// (lost, and counted in its root's entry), and once per file the links whose
// icon or last character set no store is given.
void ReportHtmlNotes(const html::HtmlNotes& notes, const RootEntries& entries,
                     const std::u16string& file) {
  model::Report& report = context::Current().report();
  for (const html::HtmlNotes::Skipped& skipped : notes.skipped) {
    const size_t entry = entries[static_cast<size_t>(skipped.root)];
    if (entry != 0 && entry <= report.roots.size()) {
      ++report.roots[entry - 1].source.links;
      ++report.roots[entry - 1].not_carried.links;
    }
    report.AddProblem(skipped.path, "not a URL", true, skipped.url);
  }
  const auto per_file = [&](int64_t links, const char* what) {
    if (links == 0) return;
    report.AddProblem(DisplayPath(file),
                      std::string(what) + " of " + std::to_string(links) +
                          " link" + (links == 1 ? "" : "s"),
                      false);
  };
  per_file(notes.icons, "ICON data");
  per_file(notes.charsets, "LAST_CHARSET");
}

// Fails with code after naming path and reason in the report, as lost.
Status Refuse(uint32_t code, const std::u16string& path,
              const std::string& reason) {
  context::Current().report().AddProblem(DisplayPath(path), reason, true);
  return Status::Error(code, path + u" " + platform::FromUtf8(reason));
}

}  // namespace

Status ImportHtml(const std::u16string& html_path, int32_t kind,
                  const std::u16string& store_path) {
  if (!platform::PathExists(html_path) || !platform::PathExists(store_path)) {
    return Status::Error(kErrorFileNotFound, u"no such file");
  }
  std::string text;
  if (!platform::ReadFile(html_path, &text).ok()) {
    return Refuse(kErrorAccessDenied, html_path, "cannot be read");
  }
  if (!LooksLikeBookmarkHtml(text)) {
    return Refuse(kErrorInvalidData, html_path,
                  "is not a bookmark HTML file (no <DL> list)");
  }
  model::Tree source;
  html::HtmlNotes notes;
  const Status read = html::ReadBookmarkHtml(text, &source, &notes);
  std::string().swap(text);  // read: the tree holds what is needed
  if (!read.ok()) {
    return Refuse(kErrorInvalidData, html_path,
                  "read failed: " + platform::ToUtf8(read.message()));
  }
  // MergeIntoStore adds an entry per root of source, in kAllRoots order.
  RootEntries entries{};
  size_t next = context::Current().report().roots.size();
  for (model::Root root : model::kAllRoots) {
    if (source.root(root) != model::kNoItem) {
      entries[static_cast<size_t>(root)] = ++next;
    }
  }
  Status merged = MergeIntoStore(&source, kind, store_path);
  if (merged.ok()) ReportHtmlNotes(notes, entries, html_path);
  return merged;
}

}  // namespace jobs
}  // namespace marksafe
