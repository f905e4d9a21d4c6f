// An ordered list of records, kept in the order the configuration file
// stores them. It has no cursor: whoever needs "the current one" keeps its
// own key (the window keeps the current job's Sid) and says where to insert.
#pragma once

#include <cstddef>
#include <vector>

namespace core {

template <typename T>
struct List {
    std::vector<T> items;

    T& Append(const T& value) {
        items.push_back(value);
        return items.back();
    }
    // Inserts before position `at`; past the end it appends.
    T& Insert(size_t at, const T& value) {
        if (at > items.size()) at = items.size();
        return *items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), value);
    }
    void Clear() { items.clear(); }
    size_t Size() const { return items.size(); }
    bool Empty() const { return items.empty(); }
};

}  // namespace core
