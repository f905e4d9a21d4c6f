// The comparison of one file pair, its verdict at the file's turn, and the
// archiving of a mirror copy that differs.
#include <algorithm>
#include <cstring>

#include "core/report.h"
#include "core/text_helpers.h"
#include "engine/verify.h"
#include "log/channels.h"
#include "platform/errors.h"
#include "platform/file_read.h"

namespace engine {

// Both files are opened before either is read, and the system is asked for
// the destination's first block at once: the two reads (usually on two
// disks) then overlap instead of waiting on each other.
CompareResult CompareContents(const std::wstring& source, const std::wstring& dest, uint64_t size,
                              CompareBuffers& buffers, const KeepComparing& keepGoing) {
    if (!buffers.source) {
        buffers.source.reset(new char[kVerifyBlock]);
        buffers.dest.reset(new char[kVerifyBlock]);
    }
    plat::ReadHandle a, b;
    if (!plat::OpenForReading(source, a)) return {CompareOutcome::SourceUnreadable, plat::LastError()};
    if (!plat::OpenForReading(dest, b)) return {CompareOutcome::DestUnreadable, plat::LastError()};
    plat::PrefetchForReading(b, 0, std::min<uint64_t>(size, kVerifyBlock));
    for (uint64_t compared = 0; compared < size;) {
        if (compared != 0 && !keepGoing(compared)) return {CompareOutcome::Stopped};
        const size_t want = static_cast<size_t>(std::min<uint64_t>(size - compared, kVerifyBlock));
        size_t gotA = 0, gotB = 0;
        if (!plat::ReadBlock(a, buffers.source.get(), want, gotA))
            return {CompareOutcome::SourceUnreadable, plat::LastError()};
        if (!plat::ReadBlock(b, buffers.dest.get(), want, gotB))
            return {CompareOutcome::DestUnreadable, plat::LastError()};
        if (gotA != want || gotB != want || std::memcmp(buffers.source.get(), buffers.dest.get(), want) != 0)
            return {CompareOutcome::Differs};
        compared += want;
    }
    return {CompareOutcome::Equal};
}

bool TakeVerdict(RunTally& tally, const VerifyItem& item) {
    switch (item.result.outcome) {
        case CompareOutcome::Equal:
        case CompareOutcome::Differs:
            ++tally.FilesVerified;
            tally.BytesVerified += static_cast<int64_t>(item.size);
            break;
        case CompareOutcome::SourceUnreadable:
            RunError(tally, L"Prüfen - Quelldatei nicht lesbar: " + item.source, item.result.error);
            return false;
        case CompareOutcome::DestUnreadable:
            RunError(tally, L"Prüfen - Zieldatei nicht lesbar: " + item.dest, item.result.error);
            return false;
        case CompareOutcome::Stopped:
            return false;
    }
    if (item.result.outcome == CompareOutcome::Equal) return false;
    ++tally.FilesDiffering;
    logs::AddLog(L"Inhalt abweichend: " + item.source, core::kLogHint);
    return true;
}

ArchiveResult ArchiveDiffering(const ArchivePlace& place, const std::wstring& target, RunTally& tally,
                               SetAsideScratch& aside) {
    if (place.versions == 0) {
        RunError(tally, L"Inhalt abweichend, nicht ersetzt - kein Archiv für: " + target);
        return {ArchiveOutcome::Failed, L""};
    }
    ArchivePlace always = place;
    always.intervalDays = 0;
    ArchiveResult archived = ArchiveEntry(always, target, ArchiveMode::Replace, tally, aside);
    // Off after a cancel: nothing moved, so nothing may be copied over it.
    if (archived.outcome != ArchiveOutcome::Moved) archived.outcome = ArchiveOutcome::Failed;
    return archived;
}

std::wstring VerifiedLine(const RunTally& tally) {
    return L"Geprüft: " + core::FormatThousands(tally.FilesVerified) + L" Dateien (" +
           core::FormatThousands(tally.BytesVerified / 1048576) + L" MB), abweichend: " +
           core::FormatThousands(tally.FilesDiffering);
}

}  // namespace engine
