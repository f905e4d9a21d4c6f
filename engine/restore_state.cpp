// The state at a moment, from a catalogue of versions.
#include "engine/restore_state.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace engine {

// Keys compare as the paths do, ignoring case.
static bool KeyWithin(const std::wstring& top, const std::wstring& key) {
    if (top.empty()) return true;
    return key.size() >= top.size() && key.compare(0, top.size(), top) == 0 &&
           (key.size() == top.size() || key[top.size()] == L'\\');
}

bool PathWithin(const std::wstring& top, const std::wstring& path) { return KeyWithin(IndexKey(top), IndexKey(path)); }

static bool StateValidAt(int64_t modified, int64_t left, int64_t asOf) {
    if (modified > asOf) return false;
    if (left == kNeverLeft) return true;
    // When a version attributed by name left is not known; it certainly has
    // left by now, for the mirror holds another or none.
    if (left == kLeftUnknown) return asOf != kNewestState;
    return left > asOf;
}

// The newer version; of two of the same date the mirror's copy, then the
// one the index attributes.
static bool StateBetter(const Version& a, const Version& b) {
    if (a.modified != b.modified) return a.modified > b.modified;
    if (a.inArchive != b.inArchive) return !a.inArchive;
    if (a.byName != b.byName) return !a.byName;
    return a.location < b.location;
}

const Version* VersionAt(const CatalogEntry& entry, int64_t asOf) {
    const Version* best = nullptr;
    for (const Version& v : entry.files)
        if (StateValidAt(v.modified, v.left, asOf) && (!best || StateBetter(v, *best))) best = &v;
    return best;
}

namespace {
struct StatePick {
    std::wstring key;
    const std::wstring* path;
    const Version* version;  // nullptr: an empty folder
    int64_t date;
};
struct StateFolder {
    std::wstring path;
    int64_t newest = INT64_MIN;  // the newest date of what it holds
};
}  // namespace

// Ancestors of `pick` within `top` (and the pick itself when it is a
// folder) as folders holding something of its date. The key has the path's
// separators at the same places where upper case keeps the length.
static void StateAddFolders(std::unordered_map<std::wstring, StateFolder>& folders, const std::wstring& top,
                            const StatePick& pick) {
    const std::wstring& path = *pick.path;
    const bool sameShape = path.size() == pick.key.size();
    size_t end = pick.version ? pick.key.rfind(L'\\') : pick.key.size();
    while (end != std::wstring::npos && end > 0) {
        const std::wstring key = pick.key.substr(0, end);
        if (!KeyWithin(top, key)) break;
        const std::wstring spelled = sameShape ? path.substr(0, end) : key;
        StateFolder& folder = folders.try_emplace(key, StateFolder{spelled}).first->second;
        folder.newest = std::max(folder.newest, pick.date);
        end = end == 0 ? std::wstring::npos : key.rfind(L'\\');
    }
}

static bool StateAnyAncestorIn(const std::unordered_set<std::wstring>& set, const std::wstring& key) {
    for (size_t end = key.rfind(L'\\'); end != std::wstring::npos && end > 0; end = key.rfind(L'\\', end - 1))
        if (set.count(key.substr(0, end))) return true;
    return false;
}

// Folders first, each before what it holds: keys in order with "\" below
// every other character.
static bool StateOrder(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        if (a[i] == L'\\') return true;
        if (b[i] == L'\\') return false;
        return a[i] < b[i];
    }
    return a.size() < b.size();
}

std::vector<StateItem> StateAt(const Catalog& catalog, int64_t asOf, const std::wstring& path) {
    const std::wstring top = IndexKey(path);
    std::vector<StatePick> files, empties;
    for (const auto& [key, index] : catalog.byKey) {
        if (!KeyWithin(top, key)) continue;
        const CatalogEntry& entry = catalog.entries[index];
        if (const Version* v = VersionAt(entry, asOf)) {
            files.push_back({key, &entry.path, v, v->modified});
            continue;
        }
        for (const EmptyFolder& f : entry.emptyFolders) {
            if (!StateValidAt(f.modified, f.left, asOf)) continue;
            empties.push_back({key, &entry.path, nullptr, f.modified});
            break;
        }
    }
    std::unordered_map<std::wstring, StateFolder> folders;
    for (const StatePick& pick : files) StateAddFolders(folders, top, pick);
    for (const StatePick& pick : empties) StateAddFolders(folders, top, pick);

    // A file and a folder of one path: the one written later stands.
    std::unordered_set<std::wstring> lostFolders;
    std::vector<StateItem> items;
    std::vector<std::wstring> keys;
    for (const StatePick& pick : files) {
        auto folder = folders.find(pick.key);
        if (folder != folders.end()) {
            if (folder->second.newest > pick.date) continue;
            lostFolders.insert(pick.key);
        }
    }
    for (const StatePick& pick : files) {
        if (StateAnyAncestorIn(lostFolders, pick.key)) continue;
        auto folder = folders.find(pick.key);
        if (folder != folders.end() && !lostFolders.count(pick.key)) continue;
        keys.push_back(pick.key);
        items.push_back({*pick.path, pick.version});
    }
    for (const auto& [key, folder] : folders) {
        if (lostFolders.count(key) || StateAnyAncestorIn(lostFolders, key)) continue;
        keys.push_back(key);
        items.push_back({folder.path, nullptr});
    }
    std::vector<size_t> order(items.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return StateOrder(keys[a], keys[b]); });
    std::vector<StateItem> sorted;
    sorted.reserve(items.size());
    for (size_t i : order) sorted.push_back(std::move(items[i]));
    return sorted;
}

}  // namespace engine
