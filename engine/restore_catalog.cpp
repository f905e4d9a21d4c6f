// Reading a backup into a catalogue of versions: the mirror first, then "@"
// with the index's claims checked against what each slot holds.
#include "engine/restore_catalog.h"

#include "engine/archive.h"
#include "engine/sync.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace engine {

const CatalogEntry* Catalog::Find(const std::wstring& path) const {
    auto it = byKey.find(IndexKey(path));
    return it == byKey.end() ? nullptr : &entries[it->second];
}

// Slot numbers beyond this are taken for part of a name ("Foto20230101"),
// never looked for slot by slot.
static constexpr int64_t kCatalogMaxSlot = 100000;

// Whether slots 0 .. index-1 of base + ext are all there.
static bool CatalogSlotsBelow(const std::wstring& base, const std::wstring& ext, int64_t index,
                              const std::unordered_set<std::wstring>& slots) {
    for (int64_t i = index - 1; i >= 0; --i)
        if (!slots.count(plat::ToUpper(ArchiveSlotName(L"", base, static_cast<int32_t>(i), ext)))) return false;
    return true;
}

std::wstring SlotOwnerByName(const std::wstring& name, const std::unordered_set<std::wstring>& slots, bool mirrorHas) {
    if (mirrorHas) return name;
    std::wstring base, ext;
    SplitSlotName(name, base, ext);
    // The fewest digits first: "a12.txt" is rather slot 2 of "a1.txt" than
    // slot 12 of "a.txt" when both could be.
    for (size_t j = base.size(); j > 1 && base[j - 1] >= L'0' && base[j - 1] <= L'9'; --j) {
        const size_t start = j - 1;
        if (base[start] == L'0') continue;  // slot numbers have no leading zero
        if (base.size() - start > 6) break;
        const int64_t index = std::stoll(base.substr(start));
        if (index > kCatalogMaxSlot) break;
        const std::wstring owner = base.substr(0, start);
        if (CatalogSlotsBelow(owner, ext, index, slots)) return owner + ext;
    }
    return name;
}

namespace {

// What an archive folder stands for: a directory of the mirror whose
// versions it holds under slot names, or a folder that went to "@" whole.
struct ArcContext {
    std::wstring mapped;    // the mirror path, "" the root
    bool slotNames = true;  // an archive directory: the slot-name rule holds
    int64_t left = kLeftUnknown;
    IndexMove why = IndexMove::Vanished;
    bool byName = true;
};

struct CatalogBuild {
    Catalog& cat;
    std::wstring belowKey;
    SlotMap slots;

    size_t At(const std::wstring& path) {
        const std::wstring key = IndexKey(path);
        auto it = cat.byKey.find(key);
        if (it != cat.byKey.end()) return it->second;
        cat.entries.push_back(CatalogEntry{path, false, {}, {}});
        cat.byKey.emplace(key, cat.entries.size() - 1);
        return cat.entries.size() - 1;
    }

    bool MirrorHas(const std::wstring& path) const {
        const CatalogEntry* entry = cat.Find(path);
        if (!entry) return false;
        if (entry->mirrorDir) return true;
        for (const Version& v : entry->files)
            if (!v.inArchive) return true;
        return false;
    }

    // On the way to `below`, or beneath it.
    bool Relevant(const std::wstring& path) const {
        if (belowKey.empty() || path.empty()) return true;
        const std::wstring key = IndexKey(path);
        const std::wstring& shorter = key.size() <= belowKey.size() ? key : belowKey;
        const std::wstring& longer = key.size() <= belowKey.size() ? belowKey : key;
        return longer.compare(0, shorter.size(), shorter) == 0 &&
               (longer.size() == shorter.size() || longer[shorter.size()] == L'\\');
    }
};

}  // namespace

static std::wstring CatalogJoin(const std::wstring& dir, const std::wstring& name) {
    return dir.empty() ? name : dir + L"\\" + name;
}

static bool CatalogIsLinkedDir(const plat::DirEntry& e) {
    return (e.attributes & plat::kAttrDirectory) && (e.attributes & plat::kAttrReparsePoint);
}

// Records of moves are written before the move, and a version's date and
// size are what tells whether the slot still holds the one the line names.
// The date may be an hour off: Windows turns file times into local time
// with the offset of the day it reads them.
static bool CatalogClaimFits(const SlotOrigin* claim, const plat::DirEntry& e) {
    if (!claim || claim->size < 0 || static_cast<uint64_t>(claim->size) != e.size) return false;
    return claim->modified == e.modified || IsHourShift(e.modified - claim->modified);
}

static void CatalogMirror(CatalogBuild& b, const std::wstring& rel, int64_t modified) {
    const std::wstring dir = b.cat.destRoot + (rel.empty() ? L"" : rel + L"\\");
    std::vector<plat::DirEntry> list;
    if (!plat::ListDir(dir, L"*", list)) {
        b.cat.unreadable.push_back(dir);
        return;
    }
    if (!rel.empty() && list.empty()) b.cat.entries[b.At(rel)].emptyFolders.push_back({modified, kNeverLeft});
    for (const plat::DirEntry& e : list) {
        const bool isDir = (e.attributes & plat::kAttrDirectory) != 0;
        // The archive folder is no part of the mirror; links are never
        // followed, and temporary copies are no one's version.
        if ((rel.empty() && isDir && e.name == L"@") || CatalogIsLinkedDir(e) || (!isDir && IsTempCopyName(e.name)))
            continue;
        const std::wstring path = CatalogJoin(rel, e.name);
        if (!b.Relevant(path)) continue;
        if (isDir) {
            b.cat.entries[b.At(path)].mirrorDir = true;
            CatalogMirror(b, path, e.modified);
            continue;
        }
        b.cat.entries[b.At(path)].files.push_back(
            Version{dir + e.name, e.modified, e.size, e.attributes, kNeverLeft, IndexMove::Replaced, false, false});
    }
}

// One folder of "@" (`slotRel` "@" or "@\..."); false when it is empty.
static bool CatalogArchive(CatalogBuild& b, const std::wstring& slotRel, const ArcContext& ctx) {
    const std::wstring dir = b.cat.destRoot + slotRel + L"\\";
    std::vector<plat::DirEntry> list;
    if (!plat::ListDir(dir, L"*", list)) {
        b.cat.unreadable.push_back(dir);
        return true;
    }
    const bool atRoot = slotRel == L"@";
    std::unordered_set<std::wstring> names;
    if (ctx.slotNames)
        for (const plat::DirEntry& e : list) names.insert(plat::ToUpper(e.name));
    for (const plat::DirEntry& e : list) {
        const bool isDir = (e.attributes & plat::kAttrDirectory) != 0;
        // "@\@" holds the versions set aside and the index.
        if ((atRoot && e.name == L"@") || CatalogIsLinkedDir(e) || (!isDir && IsTempCopyName(e.name))) continue;
        const std::wstring slot = slotRel + L"\\" + e.name;
        auto found = b.slots.find(IndexKey(slot));
        const SlotOrigin* claim = found == b.slots.end() ? nullptr : &found->second;
        if (isDir) {
            ArcContext sub;
            if (claim && claim->size == kIndexDirSize && !claim->movedAway) {
                sub = {claim->path, false, claim->left, claim->why, false};
            } else if (ctx.slotNames) {
                const std::wstring own = CatalogJoin(ctx.mapped, e.name);
                sub.mapped = CatalogJoin(ctx.mapped, SlotOwnerByName(e.name, names, b.MirrorHas(own)));
            } else {
                sub = {CatalogJoin(ctx.mapped, e.name), false, ctx.left, ctx.why, ctx.byName};
            }
            if (!b.Relevant(sub.mapped)) continue;
            if (!CatalogArchive(b, slot, sub) && !sub.slotNames)
                b.cat.entries[b.At(sub.mapped)].emptyFolders.push_back({e.modified, sub.left});
            continue;
        }
        const bool fits = CatalogClaimFits(claim, e);
        // The copy of the configuration that every run leaves there.
        if (atRoot && !fits && plat::EqualNoCase(e.name, L"Tresoro.ini")) continue;
        Version v{dir + e.name, e.modified, e.size, e.attributes, ctx.left, ctx.why, true, ctx.byName};
        std::wstring owner;
        if (fits) {
            owner = claim->path;
            v.left = claim->left;
            v.why = claim->why;
            v.byName = false;
        } else if (ctx.slotNames) {
            const std::wstring own = CatalogJoin(ctx.mapped, e.name);
            owner = CatalogJoin(ctx.mapped, SlotOwnerByName(e.name, names, b.MirrorHas(own)));
            v.left = kLeftUnknown;
            v.byName = true;
        } else {
            owner = CatalogJoin(ctx.mapped, e.name);
        }
        if (!b.Relevant(owner)) continue;
        if (v.byName) ++b.cat.byNameVersions;
        b.cat.entries[b.At(owner)].files.push_back(std::move(v));
    }
    return !list.empty();
}

Catalog BuildCatalog(const std::wstring& destRoot, const std::wstring& below) {
    Catalog cat;
    cat.destRoot = destRoot;
    CatalogBuild b{cat, IndexKey(below), {}};
    std::string bytes;
    if (plat::ReadWholeFile(destRoot + kIndexFile, bytes)) {
        cat.indexFound = true;
        b.slots = ReplayIndex(ParseIndex(bytes));
    }
    CatalogMirror(b, L"", 0);
    if (plat::DirExists(destRoot + L"@")) (void)CatalogArchive(b, L"@", ArcContext{});
    return cat;
}

}  // namespace engine
