// Type-checked reading of Chrome document members. Chrome's file belongs to
// Chrome and may hold anything: every accessor here returns "absent" for a
// member of the wrong JSON type instead of throwing, and none of them adds a
// member to the document.
#ifndef MARKSAFE_STORES_CHROME_JSON_ACCESS_H_
#define MARKSAFE_STORES_CHROME_JSON_ACCESS_H_

#include <json/json.h>

#include <string>

namespace marksafe {
namespace chrome {

// The member key of an object node, or null when node is not an object or
// lacks it.
const Json::Value* Member(const Json::Value& node, const char* key);
Json::Value* MutableMember(Json::Value* node, const char* key);

// The text of a string member. A missing or null member reads as the empty
// string (true); a member of any other type gives false.
bool StringMember(const Json::Value& node, const char* key, std::string* out);

// True for an object whose "type" is the string "folder" / "url".
bool IsFolderNode(const Json::Value& node);
bool IsUrlNode(const Json::Value& node);

// The "children" array of a node, or null when it has none or it is not an
// array.
const Json::Value* ChildrenOf(const Json::Value& node);

// roots.<name> when it is a folder node, else null.
const Json::Value* RootFolder(const Json::Value& document, const char* name);

}  // namespace chrome
}  // namespace marksafe

#endif  // MARKSAFE_STORES_CHROME_JSON_ACCESS_H_
