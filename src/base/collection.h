// The ordered collection behind every collection of the program: positions counted from 1,
// optional unique string keys, insertion before or after a position or key, and range-for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace lumo {

// A position (from 1) or a key, as the collections accept them.
class IndexKey {
public:
    IndexKey(int32_t position) : v_(position) {}
    IndexKey(std::string key) : v_(std::move(key)) {}
    IndexKey(const char* key) : v_(std::string(key)) {}
    IndexKey(std::string_view key) : v_(std::string(key)) {}

    bool IsPosition() const { return std::holds_alternative<int32_t>(v_); }
    int32_t Position() const { return std::get<int32_t>(v_); }
    const std::string& Key() const { return std::get<std::string>(v_); }

private:
    std::variant<int32_t, std::string> v_;
};

// Raised for a position or key that is not in a collection, or a key added twice.
class CollectionError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

template <class T>
class Collection {
    struct Entry {
        T value;
        std::string key;
    };

public:
    class iterator {
    public:
        using difference_type = std::ptrdiff_t;
        using value_type = T;
        iterator() = default;
        explicit iterator(typename std::vector<Entry>::iterator it) : it_(it) {}
        T& operator*() const { return it_->value; }
        T* operator->() const { return &it_->value; }
        iterator& operator++() {
            ++it_;
            return *this;
        }
        iterator operator++(int) {
            auto old = *this;
            ++it_;
            return old;
        }
        bool operator==(const iterator& o) const { return it_ == o.it_; }
    private:
        typename std::vector<Entry>::iterator it_;
    };
    class const_iterator {
    public:
        using difference_type = std::ptrdiff_t;
        using value_type = T;
        const_iterator() = default;
        explicit const_iterator(typename std::vector<Entry>::const_iterator it) : it_(it) {}
        const T& operator*() const { return it_->value; }
        const T* operator->() const { return &it_->value; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        const_iterator operator++(int) {
            auto old = *this;
            ++it_;
            return old;
        }
        bool operator==(const const_iterator& o) const { return it_ == o.it_; }
    private:
        typename std::vector<Entry>::const_iterator it_;
    };

    // Appends `value`, or inserts it before `before` / after `after` (a position or key).
    // A non-empty key must not be in the collection yet. Returns the stored element.
    T& Add(T value, std::string_view key = {}, const std::optional<IndexKey>& before = std::nullopt,
           const std::optional<IndexKey>& after = std::nullopt) {
        if (!key.empty() && Find(key))
            throw CollectionError("key \"" + std::string(key) + "\" is already in the collection");
        size_t at = entries_.size();
        if (before)
            at = IndexOf(*before);
        else if (after)
            at = IndexOf(*after) + 1;
        if (at == entries_.size()) {
            entries_.push_back(Entry{std::move(value), std::string(key)});
            if (!key.empty() && !indexDirty_)
                index_.emplace(entries_.back().key, at);
        } else {
            entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at),
                            Entry{std::move(value), std::string(key)});
            MarkDirty();
        }
        return entries_[at].value;
    }

    T& item(const IndexKey& indexKey) { return entries_[IndexOf(indexKey)].value; }
    const T& item(const IndexKey& indexKey) const { return entries_[IndexOf(indexKey)].value; }

    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }

    void Remove(const IndexKey& indexKey) {
        size_t at = IndexOf(indexKey);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
        MarkDirty();
    }

    void Clear() {
        entries_.clear();
        index_.clear();
        indexDirty_ = false;
    }

    void Reserve(size_t n) { entries_.reserve(n); }

    // The key an element was added under (empty when none), by position from 1.
    const std::string& KeyAt(int32_t position) const { return entries_[IndexOf(position)].key; }

    bool Contains(std::string_view key) const { return Find(key).has_value(); }

    iterator begin() { return iterator(entries_.begin()); }
    iterator end() { return iterator(entries_.end()); }
    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }

private:
    // Zero-based index of a position or key; throws when it is not there.
    size_t IndexOf(const IndexKey& indexKey) const {
        if (indexKey.IsPosition()) {
            int32_t p = indexKey.Position();
            if (p < 1 || static_cast<size_t>(p) > entries_.size())
                throw CollectionError("position " + std::to_string(p) + " is not in the collection (it holds " +
                                      std::to_string(entries_.size()) + ")");
            return static_cast<size_t>(p - 1);
        }
        auto found = Find(indexKey.Key());
        if (!found)
            throw CollectionError("key \"" + indexKey.Key() + "\" is not in the collection");
        return *found;
    }

    std::optional<size_t> Find(std::string_view key) const {
        if (key.empty())
            return std::nullopt;
        if (indexDirty_)
            RebuildIndex();
        auto it = index_.find(std::string(key));
        if (it == index_.end())
            return std::nullopt;
        return it->second;
    }

    void MarkDirty() {
        indexDirty_ = true;
        index_.clear();
    }

    void RebuildIndex() const {
        index_.clear();
        for (size_t i = 0; i < entries_.size(); ++i)
            if (!entries_[i].key.empty())
                index_.emplace(entries_[i].key, i);
        indexDirty_ = false;
    }

    std::vector<Entry> entries_;
    // Keys to zero-based indexes; rebuilt lazily after an insertion or removal in the middle,
    // so appending stays constant time.
    mutable std::unordered_map<std::string, size_t> index_;
    mutable bool indexDirty_ = false;
};

}  // namespace lumo
