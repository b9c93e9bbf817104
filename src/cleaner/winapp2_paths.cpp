// Segment-wise paths and name-pattern lists of winapp2.ini, and their expansion on this machine.
#include "cleaner/winapp2_paths.h"

#include "base/text.h"
#include "platform/file_system.h"

namespace lumo {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool StartsWithSeparator(std::string_view path) { return !path.empty() && IsSeparator(path.front()); }

// One segment of a path with where it starts in the text.
struct Segment {
    std::string_view text;
    size_t start;
};

std::vector<Segment> SegmentsWithPlaces(std::string_view path) {
    std::vector<Segment> out;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i]))
            ++i;
        size_t start = i;
        while (i < path.size() && !IsSeparator(path[i]))
            ++i;
        if (i > start)
            out.push_back({path.substr(start, i - start), start});
    }
    return out;
}

}  // namespace

std::vector<std::string_view> PathSegments(std::string_view path) {
    std::vector<std::string_view> out;
    for (const Segment& s : SegmentsWithPlaces(path))
        out.push_back(s.text);
    return out;
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

std::string PathKey(std::string_view path) {
    std::string key = StartsWithSeparator(path) ? "\\" : "";
    bool first = true;
    for (std::string_view s : PathSegments(path)) {
        if (!first)
            key.push_back('\\');
        key.append(s);
        first = false;
    }
    return UpperCase(key);
}

NamePatterns::NamePatterns(std::string_view list) {
    for (const std::string& piece : Split(list, ";")) {
        std::string_view p = TrimBlanks(piece);
        if (p.empty())
            continue;
        if (p == "*" || p == "*.*")
            every_ = true;
        patterns_.emplace_back(p, WildcardSyntax::StarAndQuestion);
    }
    if (patterns_.empty())
        every_ = true;
}

bool NamePatterns::Matches(std::string_view name) const {
    if (every_)
        return true;
    for (const WildcardPattern& p : patterns_)
        if (p.Matches(name))
            return true;
    return false;
}

FolderPattern::FolderPattern(std::string_view folder) : rooted_(StartsWithSeparator(folder)) {
    for (std::string_view s : PathSegments(folder))
        segments_.emplace_back(s, WildcardSyntax::StarAndQuestion);
}

size_t FolderPattern::MatchedSegments(std::string_view path, size_t& count) const {
    std::vector<std::string_view> parts = PathSegments(path);
    count = parts.size();
    if (rooted_ != StartsWithSeparator(path))
        return 0;
    size_t n = 0;
    while (n < parts.size() && n < segments_.size() && segments_[n].Matches(parts[n]))
        ++n;
    return n;
}

bool FolderPattern::Matches(std::string_view path) const {
    size_t count = 0;
    return !segments_.empty() && MatchedSegments(path, count) == segments_.size() && count == segments_.size();
}

bool FolderPattern::Covers(std::string_view path) const {
    size_t count = 0;
    return !segments_.empty() && MatchedSegments(path, count) == segments_.size();
}

bool FolderPattern::LiesBelow(std::string_view path) const {
    size_t count = 0;
    size_t matched = MatchedSegments(path, count);
    return count > 0 && matched == count && count < segments_.size();
}

std::vector<std::string> ExpandWildcardPath(FileSystem& files, std::string_view path, bool lastMayBeFile,
                                            const std::function<void(const std::string&)>& onLink) {
    auto exists = [&](const std::string& p) { return files.FolderExists(p) || (lastMayBeFile && files.FileExists(p)); };
    std::vector<Segment> segments = SegmentsWithPlaces(path);
    size_t first = 0;
    while (first < segments.size() && !HasWildcard(segments[first].text))
        ++first;
    if (first == segments.size()) {
        std::string whole(path);
        return exists(whole) ? std::vector<std::string>{whole} : std::vector<std::string>{};
    }
    if (first == 0)
        return {};  // a path that starts with a wildcard names no place

    // The text up to the first wildcard segment, as written (the drive or root kept as it is).
    std::string prefix(path.substr(0, segments[first].start));
    while (prefix.size() > 1 && IsSeparator(prefix.back()) && !(prefix.size() == 3 && prefix[1] == ':'))
        prefix.pop_back();
    std::vector<std::string> reached{prefix};
    std::vector<FolderEntry> entries;
    bool lastWasWildcard = false;
    for (size_t i = first; i < segments.size() && !reached.empty(); ++i) {
        const bool last = i + 1 == segments.size();
        std::vector<std::string> next;
        if (!HasWildcard(segments[i].text)) {
            for (const std::string& folder : reached)
                next.push_back(JoinPath(folder, segments[i].text));
            lastWasWildcard = false;
        } else {
            WildcardPattern pattern(segments[i].text, WildcardSyntax::StarAndQuestion);
            for (const std::string& folder : reached) {
                if (!files.ListFolder(folder, entries))
                    continue;
                for (const FolderEntry& e : entries) {
                    const bool mayTake = e.isFolder || (last && lastMayBeFile);
                    if (!mayTake || !pattern.Matches(e.name))
                        continue;
                    std::string found = JoinPath(folder, e.name);
                    if (e.isLink && !(last && lastMayBeFile)) {
                        if (onLink)
                            onLink(found);
                        continue;
                    }
                    next.push_back(std::move(found));
                }
            }
            lastWasWildcard = true;
        }
        reached = std::move(next);
    }
    if (lastWasWildcard)
        return reached;
    std::vector<std::string> existing;
    for (std::string& p : reached)
        if (exists(p))
            existing.push_back(std::move(p));
    return existing;
}

}  // namespace lumo
