// The index of the archive folder: every move into "@", inside it and out
// of it, as one line of text appended to "@\@\Archivindex.txt". Slot names
// cannot say whose version a slot holds ("a1.txt" is slot 1 of "a.txt" and
// slot 0 of "a1.txt") nor when it left the mirror; the index can. The slots
// keep their names and layout, so the archive stays plain files that people
// and older versions of the program read as before.
//
// Appending keeps every earlier line whatever stops a run (a kill, a full
// disk, a pulled disk): at worst the last line is torn, and the next run
// begins with a line break of its own. Each line carries a checksum. What is
// read back is untrusted: torn, damaged or foreign lines, and paths that
// would leave the destination's tree, are dropped by ParseIndex, and what
// the index claims about a slot holds only while the slot still holds that
// version (its date and size; see restore_catalog.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

// The index below a destination root: in the set-aside area "@\@\", which
// is neither an archive directory nor a slot, so no version of a user's
// entry can ever have its name, and which is never offered as a version.
extern const wchar_t* const kIndexFile;

enum class IndexMove : char {
    Replaced = 'R',    // mirror -> slot: the file was about to be overwritten
    Vanished = 'V',    // mirror -> slot: its source was gone
    TypeChange = 'T',  // mirror -> slot: the source entry is of the other kind now
    SetAside = 'A',    // slot -> set-aside area, while its slot takes a newer version
    PutBack = 'B',     // set-aside area -> slot
    MovedOn = 'N',     // slot -> free slot, as a folder's archive directory needs the name
    BackOut = 'Z',     // slot -> mirror: the copy that replaced it failed
    Deleted = 'D',     // gone for good (the oldest version of a full slot)
};

// Size of a version that is a folder; kIndexNoSize where none is recorded.
constexpr int64_t kIndexDirSize = -2;
constexpr int64_t kIndexNoSize = -1;

// One line of the index. Paths are relative to the destination root
// ("Dokumente\Brief.txt", "@\Dokumente\Brief1.txt"), without a trailing "\".
struct IndexRecord {
    IndexMove move = IndexMove::Replaced;
    int64_t time = 0;  // when, local seconds
    // For the moves out of the mirror, the version's own last write time
    // and size as they were just before the move.
    int64_t modified = 0;
    int64_t size = kIndexNoSize;
    std::wstring from;
    std::wstring to;  // empty for Deleted
};

// The line of a record, ending in "\n". Empty when it cannot be written as a
// line: a path with a control character, which Windows never allows.
std::string FormatIndexRecord(const IndexRecord& record);

// The records of an index file, in order. A line that is torn, fails its
// checksum, is of another format, or names a path that is not a plain path
// below the root of the kind its move needs, is left out.
std::vector<IndexRecord> ParseIndex(const std::string& bytes);

// What the index says a slot holds now: the version of which mirror path,
// why and when it left the mirror, and its date and size as recorded.
struct SlotOrigin {
    std::wstring path;
    IndexMove why = IndexMove::Replaced;
    int64_t left = 0;
    int64_t modified = 0;
    int64_t size = kIndexNoSize;
    // A move away from this slot was recorded: the version may be gone
    // (records of moves are written before the move is made). A file's
    // date and size still tell; a folder's claim is no longer trusted.
    bool movedAway = false;
};

// Slot path (relative, upper case: paths compare ignoring case) -> origin.
using SlotMap = std::unordered_map<std::wstring, SlotOrigin>;

// The slots' origins after every record in order: a version moved on
// (set aside, put back, moved to another slot) keeps its origin, one that
// went back to the mirror or was deleted loses it.
SlotMap ReplayIndex(const std::vector<IndexRecord>& records);

// The key of a relative path in a SlotMap.
std::wstring IndexKey(const std::wstring& relativePath);

// Writes the index of one destination during one walk. Appends that fail
// (a full or write-protected disk) lose their line only: the versions keep
// what the slot names say, and every later move is tried again.
struct ArchiveIndexWriter {
    std::wstring destRoot;  // ends in "\"; empty: nothing is recorded
    bool begun = false;     // the walk's first line has been written
    int32_t failedAppends = 0;
};

// Records a move from `from` to `to` (full paths below writer->destRoot;
// `to` empty for Deleted). The moves that put a version somewhere are
// recorded just before they are made, so that no kill can leave a version
// moved and unrecorded; BackOut and Deleted, which only take knowledge
// away, just after. For the moves out of the mirror the entry's date and
// size are read first. Nothing happens without a writer or outside its root.
void RecordMove(ArchiveIndexWriter* writer, IndexMove move, const std::wstring& from, const std::wstring& to);

}  // namespace engine
