// "Prüfen": a run that also compares, byte for byte, every file the
// size-and-date rule calls equal with its source. A copy that differs (a
// source changed without a new date, a mirror copy torn by a power cut,
// bits rotted on an old disk) is reported, goes into "@" as a replaced
// version (it may be the only copy of an older content) and is copied anew.
//
// Comparing reads both trees whole, so it works ahead of the walk as the
// listings do: the files of the directory at hand whose turn comes before
// its next subdirectory are handed to two comparer threads, at most
// kMaxComparesAhead at once, each reading its two files in blocks of
// kVerifyBlock. What is held is bounded whatever the file sizes: two blocks
// per comparer and two for the run's thread, which compares a file itself
// when its turn comes before a comparer took it. Comparers only read; every
// verdict is used, logged and acted on at the file's turn, on the run's
// thread. Without comparers (faults injected, one tree inside the other)
// each file is compared at its turn.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/archive.h"
#include "engine/sync.h"
#include "platform/thread_safety.h"

namespace engine {

constexpr size_t kVerifyBlock = size_t{256} << 10;
constexpr size_t kMaxComparesAhead = 32;

// What one comparison found.
enum class CompareOutcome : int8_t {
    Equal,
    Differs,
    SourceUnreadable,  // error: the system's code
    DestUnreadable,
    Stopped,  // cancelled, or dropped before its turn
};
struct CompareResult {
    CompareOutcome outcome = CompareOutcome::Equal;
    uint32_t error = 0;
};

// The two blocks one comparison reads into, made at its first use.
struct CompareBuffers {
    std::unique_ptr<char[]> source, dest;
};

// Between blocks, with the bytes compared so far: false stops.
using KeepComparing = std::function<bool(uint64_t compared)>;

// Reads both files from the start, block by block, until they differ or
// the listed `size` is compared. Reading no further than that spares the
// read that would only find the end; a file that is shorter now than
// listed (changed or cut meanwhile) differs.
CompareResult CompareContents(const std::wstring& source, const std::wstring& dest, uint64_t size,
                              CompareBuffers& buffers, const KeepComparing& keepGoing);

// One file pair handed to the comparers. Its names and size are set before
// it is handed out and only read after; started, claimed, done and result
// belong to the VerifyAhead's mutex once it is handed out (only
// VerifyAhead's functions touch them then).
struct VerifyItem {
    std::wstring source, dest;
    uint64_t size = 0;     // the source's listed size
    bool started = false;  // a comparer took it
    bool claimed = false;  // its turn came first: the run's thread compares it
    bool done = false;
    CompareResult result;
    std::atomic<bool> stop{false};      // cancelled, or its turn passed
    std::atomic<uint64_t> compared{0};  // bytes so far, for the progress bar
};

// The comparers of one walk; none outside a verify run and when each file
// is compared at its turn. The run's thread calls every public function;
// the comparers only run Comparer.
class VerifyAhead {
public:
    VerifyAhead() = default;
    VerifyAhead(const VerifyAhead&) = delete;
    VerifyAhead& operator=(const VerifyAhead&) = delete;
    ~VerifyAhead() EXCLUDES(mutex_);

    // Sets up the comparisons of a walk of sourceDir into destDir when the
    // run verifies: with comparers unless its CompareAhead is off or the
    // walk may not run ahead (WalkMayRunAhead).
    void Start(const RunOptions& options, const std::wstring& sourceDir, const std::wstring& destDir);
    bool On() const { return on_; }
    bool HasComparers() const { return !comparers_.empty(); }

    // Hands the pairs to the comparers, in order.
    void Hand(const std::vector<std::shared_ptr<VerifyItem>>& items) EXCLUDES(mutex_);
    // At the item's turn: true when no comparer has it and its verdict is not
    // there yet; the run's thread then compares it itself (with Own()).
    bool Claim(VerifyItem& item) EXCLUDES(mutex_);
    // Waits for the verdict of a comparer that has the item, calling
    // `between` every 50 ms without the lock.
    void Wait(VerifyItem& item, const std::function<void()>& between) EXCLUDES(mutex_);
    CompareBuffers& Own() { return own_; }

private:
    void Comparer() EXCLUDES(mutex_);

    // Set by Start before any comparer runs, then only read.
    bool on_ = false;
    // Started and joined by the run's thread.
    std::vector<std::thread> comparers_;
    CompareBuffers own_;  // the run's thread's

    mutable plat::Mutex mutex_;
    plat::CondVar work_;   // a pair to compare, or stop
    plat::CondVar ready_;  // a comparison done
    std::deque<std::shared_ptr<VerifyItem>> queue_ GUARDED_BY(mutex_);
    bool stopping_ GUARDED_BY(mutex_) = false;
    // Wakes only where someone sleeps: a comparer waiting for work, the
    // run's thread for this item (a wake per file cost more than the
    // comparison of a small one).
    int idle_ GUARDED_BY(mutex_) = 0;
    const VerifyItem* awaited_ GUARDED_BY(mutex_) = nullptr;
};

// The files of one directory level to be compared: the sorted source
// positions whose file pairs with a destination file that the size-and-date
// rule calls equal, neither side online only; and the pairs handed out.
struct VerifyPlan {
    struct Candidate {
        uint32_t source = 0, dest = 0;  // positions in the sorted lists
    };
    VerifyAhead& ahead;
    const SyncList& source;
    const SyncList& dest;
    std::wstring sourceDir, destDir;
    std::vector<Candidate> files;                    // by source position
    size_t taken = 0;                                // files[0, taken) had their turn
    std::deque<std::shared_ptr<VerifyItem>> handed;  // for files[taken, taken + handed.size())
    size_t nextDir = 0;  // no subdirectory in the source positions before it (past the turn)

    VerifyPlan(VerifyAhead& ahead, const JobContext& job, const std::wstring& sourceDir, const std::wstring& destDir,
               const SyncList& source, const SyncList& dest, int64_t now);
    VerifyPlan(const VerifyPlan&) = delete;
    VerifyPlan& operator=(const VerifyPlan&) = delete;
    // Stops and drops what was handed out and had no turn.
    ~VerifyPlan();
};

// The file at source position `at`, which the size-and-date rule called
// equal, at its turn: compared here or by a comparer (its verdict waited
// for with the progress bar, event drains and cancel). True when its
// content differs: the hint "Inhalt abweichend: <Pfad>" is logged and it
// counts. Unreadable on either side: a counted error with the system's
// text. False also for a file not planned and after a cancel.
[[nodiscard]] bool VerifyDiffers(VerifyPlan& plan, RunTally& tally, size_t at);

// A mirror copy whose content differs goes into "@" as a replaced version,
// whatever the interval: it may be the only copy of what it holds. Where
// this directory keeps no versions it stays, as a counted error. Anything
// but Moved means: do not copy over it.
[[nodiscard]] ArchiveResult ArchiveDiffering(const ArchivePlace& place, const std::wstring& target, RunTally& tally,
                                             SetAsideScratch& aside);

// The verdict on one file pair at its turn, as VerifyDiffers returns it:
// counted, and logged as a hint or an error.
bool TakeVerdict(RunTally& tally, const VerifyItem& item);

// "Geprüft: <n> Dateien (<MB> MB), abweichend: <m>"
std::wstring VerifiedLine(const RunTally& tally);

// ---- The run ----

// "Prüfen" from the menu or "/VERIFY": a normal run of every selected job,
// due or not, that compares by content.
RunOptions VerifyOptions();

// The exit code of "/VERIFY": 0 when nothing differed and nothing failed,
// 1 when anything differed, any error was counted, or it was cancelled
// (then nothing is proven).
int32_t VerifyExitCode(const Run& run, bool cancelled);

// What follows a "/VERIFY" run instead of EndRun: no end countdown and no
// shutdown; the exit code is set and the program ends at once.
void EndVerifyRun(const Run& run);

// The end of a run the window or the timed start began: EndVerifyRun under
// "/VERIFY", EndRun otherwise.
void EndStartedRun(const Run& run);

}  // namespace engine
