// Appending the archive's moves to its index during a walk.
#include "engine/archive_index.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/path_text.h"

namespace engine {

static bool IndexLeavesMirror(IndexMove move) {
    return move == IndexMove::Replaced || move == IndexMove::Vanished || move == IndexMove::TypeChange;
}

// The part below the root, without a trailing "\"; false outside it.
static bool IndexRelative(const std::wstring& root, const std::wstring& path, std::wstring& out) {
    if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return false;
    out = plat::WithoutTrailingSeparator(path.substr(root.size()));
    return true;
}

void RecordMove(ArchiveIndexWriter* writer, IndexMove move, const std::wstring& from, const std::wstring& to) {
    if (!writer || writer->destRoot.empty()) return;
    IndexRecord record;
    record.move = move;
    if (!IndexRelative(writer->destRoot, from, record.from)) return;
    if (!to.empty() && !IndexRelative(writer->destRoot, to, record.to)) return;
    record.time = plat::Now();
    if (IndexLeavesMirror(move)) {
        plat::DirEntry entry;
        // A folder's date says nothing of its versions and changes with
        // what it holds; only a file's is kept.
        if (plat::GetEntryInfo(from, entry)) {
            const bool folder = (entry.attributes & plat::kAttrDirectory) != 0;
            record.modified = folder ? 0 : entry.modified;
            record.size = folder ? kIndexDirSize : static_cast<int64_t>(entry.size);
        }
    }
    std::string line = FormatIndexRecord(record);
    if (line.empty()) return;
    // The line before a walk's first one may be torn: a line break of our
    // own ends it, so that it spoils nothing but itself.
    if (!writer->begun) line.insert(0, "\n");
    const std::wstring path = writer->destRoot + kIndexFile;
    bool ok = plat::AppendToFile(path, line);
    // "@\@" comes and goes with the versions set aside; the index makes it
    // stay from its first line on.
    if (!ok && plat::CreateDir(plat::WithoutTrailingSeparator(plat::PathFolder(path))))
        ok = plat::AppendToFile(path, line);
    if (ok)
        writer->begun = true;
    else
        ++writer->failedAppends;
}

}  // namespace engine
