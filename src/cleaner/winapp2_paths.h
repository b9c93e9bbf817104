// Paths and patterns as winapp2.ini writes them: folders with the wildcards * and ? in any
// segment, lists of file-name patterns cut at ";", and the folders such a path stands for on this
// machine. Shared by the reader (detection) and the walks of its entries.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/wildcard.h"

namespace lumo {

class FileSystem;

// The segments of a path, cut at "\" and "/", empty pieces left out: "C:\A\\B" gives C:, A, B.
std::vector<std::string_view> PathSegments(std::string_view path);
bool HasWildcard(std::string_view text);
// The path with "/" turned into "\", repeated separators made one and none at the end, in upper
// case: two paths name the same folder when their keys are equal.
std::string PathKey(std::string_view path);

// A list of file-name patterns cut at ";" (empty pieces left out). "*.*" stands for every name,
// as Windows reads it (names without a dot included); an empty list matches every name.
class NamePatterns {
public:
    explicit NamePatterns(std::string_view list);
    bool Matches(std::string_view name) const;
    bool MatchesEveryName() const { return every_; }

private:
    std::vector<WildcardPattern> patterns_;
    bool every_ = false;
};

// A folder whose segments may hold * and ?, compared with paths segment by segment without regard
// to letter case.
class FolderPattern {
public:
    explicit FolderPattern(std::string_view folder);
    // `path` is this folder.
    bool Matches(std::string_view path) const;
    // `path` is this folder or lies somewhere below it.
    bool Covers(std::string_view path) const;
    // `path` is a folder above this one: walking into it may lead here.
    bool LiesBelow(std::string_view path) const;

private:
    // How many leading segments of `path` match; `count` is the number of segments of `path`.
    size_t MatchedSegments(std::string_view path, size_t& count) const;

    bool rooted_ = false;  // starts with a separator (a POSIX root or a network path)
    std::vector<WildcardPattern> segments_;
};

// What a path with wildcard segments stands for on this machine: every existing folder (and, when
// `lastMayBeFile`, file) it matches. Each wildcard segment is matched against the listing of the
// folders reached so far; a link that matches is never entered and goes to `onLink` (when given)
// instead. A path without wildcards gives itself when it exists.
std::vector<std::string> ExpandWildcardPath(FileSystem& files, std::string_view path, bool lastMayBeFile,
                                            const std::function<void(const std::string&)>& onLink = {});

}  // namespace lumo
