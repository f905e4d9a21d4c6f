// An ordered list with a current element: adding inserts right after the
// current element and makes the new one current.
#pragma once

#include <cstddef>
#include <vector>

namespace core {

template <typename T>
struct List {
    std::vector<T> items;
    // Index of the current element; npos = before the first element.
    static constexpr size_t npos = static_cast<size_t>(-1);
    size_t current = npos;

    T& Add(const T& value) {
        size_t at = current == npos ? 0 : current + 1;
        if (at > items.size()) at = items.size();
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), value);
        current = at;
        return items[at];
    }
    // Appends at the end, whatever is current, and makes it current.
    T& Append(const T& value) {
        items.push_back(value);
        current = items.size() - 1;
        return items.back();
    }
    T* Current() { return current < items.size() ? &items[current] : nullptr; }
    void Reset() { current = npos; }
    void Clear() { items.clear(); current = npos; }
    size_t Size() const { return items.size(); }
    bool Empty() const { return items.empty(); }
};

}  // namespace core
