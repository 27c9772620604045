// Stores and backup sets for the fault tests: a small store to write into,
// a backup set of other bookmarks, and what a store holds, as URLs.
#ifndef MARKSAFE_TESTS_FAULTS_FAULTS_SUPPORT_H_
#define MARKSAFE_TESTS_FAULTS_FAULTS_SUPPORT_H_

#include <map>
#include <string>

#include "model/bookmark_tree.h"

namespace marksafe {
namespace test {

// A tree with Firefox's four roots and `links` links whose URLs start with
// prefix, spread over folders of 50.
model::Tree LinkTree(const std::string& prefix, int links);

// How often each URL occurs below the roots of tree.
std::map<std::string, int> UrlCounts(const model::Tree& tree);

// True when every URL of part occurs in whole at least as often.
bool Holds(const std::map<std::string, int>& whole,
           const std::map<std::string, int>& part);

}  // namespace test
}  // namespace marksafe

#endif  // MARKSAFE_TESTS_FAULTS_FAULTS_SUPPORT_H_
