#include "stores/chrome/document_writer.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "stores/chrome/conversions.h"

namespace marksafe {
namespace chrome {
namespace {

constexpr size_t kRightMargin = 74;
constexpr size_t kIndentSize = 3;

constexpr size_t kPerValue = 16;

// A generous size of the text of an added node and the added nodes below
// it: per member a line of indentation, its key and separators, and its
// value with room for escapes (a name encoded takes up to three times its
// UTF-8 bytes).
size_t AddedTextEstimate(const AddedNodes& added, uint32_t top,
                         size_t top_depth) {
  size_t bound = 0;
  std::vector<std::pair<uint32_t, size_t>> pending{{top, top_depth}};
  while (!pending.empty()) {
    const auto [index, depth] = pending.back();
    pending.pop_back();
    const AddedNode& node = added[index];
    bound += 10 * (2 * kPerValue + (depth + 1) * kIndentSize) + 128 +
             node.id.size() + node.guid.size() + 3 * node.name.size() +
             2 * node.url.size();
    for (const uint32_t child : node.children) {
      pending.emplace_back(child, depth + 2);
    }
  }
  return bound;
}

// A generous size of the text of root and the nodes of *added (may be
// null), from one walk over them.
size_t TextEstimate(const Json::Value& root, const AddedNodes* added) {
  // Every value: its text with room for escapes (twice its bytes; only
  // control characters take more), its member name the same, and a line of
  // indentation, separators and brackets.
  size_t bound = kPerValue;
  std::vector<std::pair<const Json::Value*, size_t>> pending{{&root, 0}};
  while (!pending.empty()) {
    const auto [value, depth] = pending.back();
    pending.pop_back();
    bound += kPerValue + depth * kIndentSize;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (value->isString() && value->getString(&begin, &end)) {
      bound += 2 * static_cast<size_t>(end - begin);
    } else if (value->isNumeric() || value->isBool()) {
      bound += 32;
    }
    if (!value->isArray() && !value->isObject()) continue;
    for (auto it = value->begin(); it != value->end(); ++it) {
      if (value->isObject()) {
        const char* name_end = nullptr;
        const char* name = it.memberName(&name_end);
        bound += 2 * static_cast<size_t>(name_end - name) + kPerValue;
      }
      pending.emplace_back(&*it, depth + 1);
    }
    if (added == nullptr || !value->isArray()) continue;
    if (const std::vector<uint32_t>* more = added->After(*value)) {
      for (const uint32_t index : *more) {
        bound += AddedTextEstimate(*added, index, depth + 1);
      }
    }
  }
  return bound;
}

// Follows StyledWriter's algorithm step by step, so that the same document
// gives the same lines: the indentation test on the last character written,
// the one-line rendering of short arrays, the 74-column rule.
class StyledText {
 public:
  StyledText(const EncodedNameSet& encoded_names, const AddedNodes* added)
      : encoded_names_(encoded_names), added_(added) {}

  std::string Write(const Json::Value& root) {
    // Room for the whole text at once: a text grown by doubling holds its
    // old and new copies at the last growth, twice the file at its peak.
    // Room reserved beyond what is written is never touched.
    document_.reserve(TextEstimate(root, added_));
    WriteValue(root);
    document_ += '\n';
    return std::move(document_);
  }

 private:
  void WriteValue(const Json::Value& value) {
    switch (value.type()) {
      case Json::nullValue:
        PushValue("null");
        break;
      case Json::intValue:
        PushValue(Json::valueToString(value.asLargestInt()));
        break;
      case Json::uintValue:
        PushValue(Json::valueToString(value.asLargestUInt()));
        break;
      case Json::realValue:
        PushValue(Json::valueToString(value.asDouble()));
        break;
      case Json::booleanValue:
        PushValue(Json::valueToString(value.asBool()));
        break;
      case Json::stringValue:
        PushString(value);
        break;
      case Json::arrayValue:
        WriteArrayValue(value);
        break;
      case Json::objectValue:
        WriteObjectValue(value);
        break;
    }
  }

  void WriteObjectValue(const Json::Value& value) {
    if (value.empty()) {
      PushValue("{}");
      return;
    }
    WriteWithIndent("{");
    Indent();
    // Json::Value keeps members in ascending byte order of their keys.
    for (auto it = value.begin(); it != value.end(); ++it) {
      if (it != value.begin()) document_ += ',';
      std::string key = "\"";
      AppendQuotedBody(it.name(), &key);
      key += '"';
      WriteWithIndent(key);
      document_ += " : ";
      // Only node names are ever written encoded: looking every other
      // string up in the set cost more than the rest of the writing.
      name_member_ = key == "\"name\"";
      WriteValue(*it);
      name_member_ = false;
    }
    Unindent();
    WriteWithIndent("}");
  }

  void WriteArrayValue(const Json::Value& value) {
    if (added_ != nullptr) {
      if (const std::vector<uint32_t>* more = added_->After(value)) {
        WriteArrayWithAdded(value, *more);
        return;
      }
    }
    const Json::ArrayIndex size = value.size();
    if (size == 0) {
      PushValue("[]");
      return;
    }
    if (IsMultilineArray(value)) {
      WriteWithIndent("[");
      Indent();
      const bool has_child_values = !child_values_.empty();
      // The rendered children belong to this array only; nested arrays
      // reuse the member while this loop runs.
      std::vector<std::string> rendered;
      if (has_child_values) rendered.swap(child_values_);
      for (Json::ArrayIndex index = 0; index < size; ++index) {
        if (index > 0) document_ += ',';
        if (has_child_values) {
          WriteWithIndent(rendered[index]);
        } else {
          WriteIndent();
          WriteValue(value[index]);
        }
      }
      Unindent();
      WriteWithIndent("]");
    } else {
      document_ += "[ ";
      for (Json::ArrayIndex index = 0; index < size; ++index) {
        if (index > 0) document_ += ", ";
        document_ += child_values_[index];
      }
      document_ += " ]";
    }
  }

  // A children array and the nodes added after its elements: what the
  // array holding them all would give, always on many lines as it holds
  // objects.
  void WriteArrayWithAdded(const Json::Value& value,
                           const std::vector<uint32_t>& more) {
    child_values_.clear();
    WriteWithIndent("[");
    Indent();
    bool first = true;
    for (const Json::Value& element : value) {
      if (!first) document_ += ',';
      first = false;
      WriteIndent();
      WriteValue(element);
    }
    for (const uint32_t index : more) {
      if (!first) document_ += ',';
      first = false;
      WriteIndent();
      WriteAddedNode((*added_)[index]);
    }
    Unindent();
    WriteWithIndent("]");
  }

  // An added node as its members in key order would be written.
  void WriteAddedNode(const AddedNode& node) {
    WriteWithIndent("{");
    Indent();
    bool first = true;
    const auto key = [&](const char* quoted_key) {
      if (!first) document_ += ',';
      first = false;
      WriteWithIndent(quoted_key);
      document_ += " : ";
    };
    if (node.folder) {
      key("\"children\"");
      if (node.children.empty()) {
        document_ += "[]";
      } else {
        // An array of nothing but added nodes (which nest no deeper than
        // Chrome loads).
        static const Json::Value kNoElements(Json::arrayValue);
        WriteArrayWithAdded(kNoElements, node.children);
      }
    }
    key("\"date_added\"");
    PushNumberText(node.date_added);
    key("\"date_last_used\"");
    document_ += "\"0\"";
    if (node.folder) {
      key("\"date_modified\"");
      PushNumberText(node.date_modified);
    }
    if (!node.guid.empty()) {
      key("\"guid\"");
      PushQuoted(node.guid);
    }
    key("\"id\"");
    PushQuoted(node.id);
    key("\"name\"");
    document_ += '"';
    AppendEncodedNameBody(node.name, &document_);
    document_ += '"';
    key("\"type\"");
    document_ += node.folder ? "\"folder\"" : "\"url\"";
    if (!node.folder) {
      key("\"url\"");
      PushQuoted(node.url);
    }
    Unindent();
    WriteWithIndent("}");
  }

  void PushNumberText(int64_t number) {
    document_ += '"';
    document_ += std::to_string(number);
    document_ += '"';
  }

  void PushQuoted(const std::string& text) {
    document_ += '"';
    AppendQuotedBody(text, &document_);
    document_ += '"';
  }

  // Short arrays of plain values (no non-empty array or object among them)
  // fit on one line when "[ " + values joined by ", " + " ]" stays below the
  // right margin; their rendered values are left in child_values_.
  bool IsMultilineArray(const Json::Value& value) {
    const Json::ArrayIndex size = value.size();
    bool multiline = size * 3 >= kRightMargin;
    child_values_.clear();
    for (Json::ArrayIndex index = 0; index < size && !multiline; ++index) {
      const Json::Value& child = value[index];
      multiline = (child.isArray() || child.isObject()) && !child.empty();
    }
    if (!multiline) {
      child_values_.reserve(size);
      add_child_values_ = true;
      size_t line_length = 4 + (size - 1) * 2;
      for (Json::ArrayIndex index = 0; index < size; ++index) {
        WriteValue(value[index]);
        line_length += child_values_[index].length();
      }
      add_child_values_ = false;
      multiline = line_length >= kRightMargin;
    }
    return multiline;
  }

  // A string value, quoted: straight into the text (no string of its own
  // per value), or into child_values_ while a short array is measured.
  void PushString(const Json::Value& value) {
    std::string quoted;
    std::string* out = add_child_values_ ? &quoted : &document_;
    const char* begin = nullptr;
    const char* end = nullptr;
    if (value.getString(&begin, &end)) {
      *out += '"';
      if (name_member_ && encoded_names_.count(&value) != 0) {
        AppendEncodedNameBody(std::string(begin, end), out);
      } else {
        AppendQuotedBody(begin, end, out);
      }
      *out += '"';
    }
    if (add_child_values_) child_values_.push_back(std::move(quoted));
  }

  void PushValue(const std::string& text) {
    if (add_child_values_) {
      child_values_.push_back(text);
    } else {
      document_ += text;
    }
  }

  void WriteIndent() {
    if (!document_.empty()) {
      const char last = document_.back();
      if (last == ' ') return;  // already indented
      if (last != '\n') document_ += '\n';
    }
    document_ += indent_;
  }

  void WriteWithIndent(const std::string& text) {
    WriteIndent();
    document_ += text;
  }

  void Indent() { indent_.append(kIndentSize, ' '); }
  void Unindent() { indent_.resize(indent_.size() - kIndentSize); }

  const EncodedNameSet& encoded_names_;
  const AddedNodes* added_;
  std::string document_;
  std::string indent_;
  std::vector<std::string> child_values_;
  bool add_child_values_ = false;
  bool name_member_ = false;  // the value being written is a "name" member
};

}  // namespace

void AppendEncodedNameBody(const std::string& utf8_name, std::string* out) {
  // Most names are ASCII, which the encoding leaves as it is.
  if (std::all_of(utf8_name.begin(), utf8_name.end(),
                  [](char c) { return (c & 0x80) == 0; })) {
    AppendQuotedBody(utf8_name, out);
    return;
  }
  std::string ascii;
  wide_to_escaped_ascii(platform::FromUtf8(utf8_name), &ascii);
  // The encoded text already holds its backslashes as they are to be
  // written ("\\" for a real one, "\uXXXX" escapes); everything else gets
  // the usual quoting.
  const char* run = ascii.data();
  const char* const end = run + ascii.size();
  for (const char* c = run; c != end; ++c) {
    if (*c != '\\') continue;
    AppendQuotedBody(run, c, out);
    out->push_back('\\');
    run = c + 1;
  }
  AppendQuotedBody(run, end, out);
}

std::string WriteDocumentText(const Json::Value& document,
                              const EncodedNameSet& encoded_names,
                              const AddedNodes* added) {
  return StyledText(encoded_names, added).Write(document);
}

}  // namespace chrome
}  // namespace marksafe
