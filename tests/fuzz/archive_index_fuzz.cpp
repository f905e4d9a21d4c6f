// Any bytes as the archive's index "@\@\Archivindex.txt": the reader must
// neither crash nor hang, every record it keeps must be one the writer
// could have written (its line read back gives the same record) with plain
// paths below the root, and replaying the records must hold.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/archive_index.h"

namespace {

bool SameRecord(const engine::IndexRecord& a, const engine::IndexRecord& b) {
    return a.move == b.move && a.time == b.time && a.modified == b.modified && a.size == b.size && a.from == b.from &&
           a.to == b.to;
}

// No record may lead out of the destination's tree.
bool Plain(const std::wstring& path) {
    if (path.empty()) return true;
    if (path.front() == L'\\' || path.back() == L'\\' || path.find(L':') != std::wstring::npos) return false;
    if (path.find(L"\\\\") != std::wstring::npos || path.find(L'/') != std::wstring::npos) return false;
    const std::wstring framed = L"\\" + path + L"\\";
    return framed.find(L"\\..\\") == std::wstring::npos && framed.find(L"\\.\\") == std::wstring::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<engine::IndexRecord> records = engine::ParseIndex(input);
    std::string written;
    for (const engine::IndexRecord& record : records) {
        if (!Plain(record.from) || !Plain(record.to) || record.from.empty()) std::abort();
        const std::string line = engine::FormatIndexRecord(record);
        if (line.empty()) std::abort();
        const std::vector<engine::IndexRecord> again = engine::ParseIndex(line);
        if (again.size() != 1 || !SameRecord(again[0], record)) std::abort();
        written += line;
    }
    // The records written again are read as they were, all of them.
    if (engine::ParseIndex(written).size() != records.size()) std::abort();
    const engine::SlotMap slots = engine::ReplayIndex(records);
    for (const auto& [key, origin] : slots)
        if (!Plain(origin.path) || origin.path.empty()) std::abort();
    return 0;
}
