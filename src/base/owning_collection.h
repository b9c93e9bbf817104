// An ordered collection that owns its elements: what a set does with its records and a record
// with its items. Elements keep their address while they are in the collection.
#pragma once

#include <memory>

#include "base/collection.h"

namespace lumo {

template <class T>
class OwningCollection {
    using Inner = Collection<std::unique_ptr<T>>;

public:
    template <class InnerIt, class Ref>
    class basic_iterator {
    public:
        using difference_type = std::ptrdiff_t;
        using value_type = T;
        basic_iterator() = default;
        explicit basic_iterator(InnerIt it) : it_(it) {}
        Ref operator*() const { return **it_; }
        auto operator->() const { return &**it_; }
        basic_iterator& operator++() {
            ++it_;
            return *this;
        }
        basic_iterator operator++(int) {
            auto old = *this;
            ++it_;
            return old;
        }
        bool operator==(const basic_iterator& o) const { return it_ == o.it_; }
    private:
        InnerIt it_;
    };
    using iterator = basic_iterator<typename Inner::iterator, T&>;
    using const_iterator = basic_iterator<typename Inner::const_iterator, const T&>;

    T& Add(std::unique_ptr<T> element, std::string_view key = {}, const std::optional<IndexKey>& before = std::nullopt,
           const std::optional<IndexKey>& after = std::nullopt) {
        return *inner_.Add(std::move(element), key, before, after);
    }
    T& item(const IndexKey& indexKey) { return *inner_.item(indexKey); }
    const T& item(const IndexKey& indexKey) const { return *inner_.item(indexKey); }
    int32_t Count() const { return inner_.Count(); }
    bool Contains(std::string_view key) const { return inner_.Contains(key); }
    void Remove(const IndexKey& indexKey) { inner_.Remove(indexKey); }
    // Removes an element and hands it to the caller, to be added again elsewhere.
    std::unique_ptr<T> Take(const IndexKey& indexKey) {
        std::unique_ptr<T> taken = std::move(inner_.item(indexKey));
        inner_.Remove(indexKey);
        return taken;
    }
    void Clear() { inner_.Clear(); }

    iterator begin() { return iterator(inner_.begin()); }
    iterator end() { return iterator(inner_.end()); }
    const_iterator begin() const { return const_iterator(inner_.begin()); }
    const_iterator end() const { return const_iterator(inner_.end()); }

private:
    Inner inner_;
};

}  // namespace lumo
