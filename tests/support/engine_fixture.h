// Helpers for engine tests: a recording display (with a cancel press at a
// chosen event drain), job set-up, dated files, tree snapshots, log queries
// and a probe for injected faults.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/records.h"
#include "engine/archive.h"
#include "engine/display.h"
#include "engine/run_context.h"
#include "platform/fault.h"
#include "tests/support/temp_tree.h"

namespace testing_support {

// A fixed "now" for engine tests, far from any clock change: 2020-07-06.
constexpr int64_t kTestNow = 1594000000;
constexpr int64_t kDay = 86400;

// Everything the engine showed, in call order.
struct DisplayRecord {
    std::vector<std::wstring> statusLines, progressCounts, copiedMB, fileSizeMB, speedMBs;
    std::vector<int> fileProgress;
    std::vector<engine::Icon> statusImages, trayIcons;
    std::vector<bool> controlsLocked;
    int messagesTabShown = 0;
    int blinkStarts = 0;        // blinkCancelButton
    int statusBlinkStarts = 0;  // blinkStatusAndCancel
    int cancelReleases = 0;
    int programEnds = 0;  // endProgramNow
    std::vector<std::wstring> shutdownFailures;
    int waits = 0;
    int drains = 0;  // drainEvents calls so far
    // When > 0, the drain with this number sets CancelRequested, as the
    // "Abbrechen" button does from the window's event handler.
    int cancelAtDrain = 0;
    bool shutdownChecked = false;
    // Called on every drain with its number, after the cancel check.
    void (*onDrain)(int drainNumber) = nullptr;
    // waitWindowEvent: each call moves the fake clock on by its whole wait,
    // as a wait without events does, so countdowns run through at once.
    int windowWaits = 0;
    std::vector<uint32_t> windowWaitMillis;
    // When > 0, each wait moves the clock only this far: an event ended it early.
    uint32_t windowWaitClockMillis = 0;
    // When > 0, the wait with this number takes a click on "Abbrechen".
    int cancelAtWindowWait = 0;
    // Called on every window wait with its number, after the cancel check.
    void (*onWindowWait)(int waitNumber) = nullptr;
    // askYesNo: the questions asked, answered with `answer`.
    std::vector<std::wstring> questions;
    bool answer = false;
    // trayBalloon: title + "|" + text of each balloon, and its topic.
    std::vector<std::wstring> balloons;
    std::vector<engine::BalloonTopic> balloonTopics;
};

// The record of the installed recorder.
DisplayRecord& Recorded();
// Installs the recorder as the engine's display, with an empty record.
void InstallRecorder();

// The run that a test's direct engine calls share, empty at each test's start:
// its options, inputs and tally, and the archive's scratch of its walks.
engine::Run& TestRun();
engine::SetAsideScratch& TestAside();
void ResetTestRun();
// What the log's reset cleared for the run before the run had its own
// counters: the error count and the detail lines.
void ClearRunErrors();
// Everything a case of the engine starts from, anew: the process state,
// the log, the test run and an empty recorder. For walks that run many
// cases inside one test.
void ResetForNextCase();
// SyncDirectory in TestRun() on the job `sid` as the list holds it now (a
// job of Sid `sid` and nothing else when there is none), the run's inputs
// taken afresh from the settings and lists (engine::TakeRunInputs); what the
// run counted so far stays.
void SyncAs(int32_t sid, const std::wstring& sourceDir, const std::wstring& destDir);
// The archive place of a test's direct archive calls, logging its moves as
// the settings' GLogExt says.
engine::ArchivePlace PlaceFor(const std::wstring& archiveDir, const std::wstring& setAsideDir, int32_t versions,
                              int32_t intervalDays);

// Appends a selected job with a fresh Sid (1001, 1002, ...) and returns it.
// src and dest get a trailing "\" when missing.
core::Job& AddJob(const std::wstring& src, const std::wstring& dest, int32_t versions = 0, int32_t intervalDays = 0);
// A job over a fresh temporary tree: src (tree\src\) mirrored into dst
// (tree\dst\), both created empty; the job is the last one added.
struct JobTree {
    TempTree tree;
    std::wstring src, dst;
    int32_t sid = 0;
    explicit JobTree(int32_t versions = 0, int32_t intervalDays = 0);
    core::Job& Job();
    // SyncDirectory over the job's own source and destination, as SyncAs.
    void Sync();
};

// An exclusion as the editor stores it: upper case.
void AddExclude(int32_t sid, const std::wstring& path);
void AddArcIndiv(int32_t sid, const std::wstring& path, int32_t versions, int32_t intervalDays, bool recursive);

// Writes a file (parents included) and sets its last-write time.
void WriteDated(const std::wstring& path, const std::string& bytes, int64_t date);
// Last-write time, or -1 when the entry does not exist.
int64_t DateOf(const std::wstring& path);
std::string ReadAll(const std::wstring& path);
bool Exists(const std::wstring& path);

// Every entry below dir: relative path -> content for files, relative path
// + "\" -> "" for directories. `skipArchive` leaves out "@" at the top.
// The archive's index (a record of the moves, which its own tests read) is
// left out, and so is "@\@\" while it holds nothing else.
std::map<std::wstring, std::string> Snapshot(const std::wstring& dir, bool skipArchive = false);
// Whether anything waits in the set-aside area "@\@\" of the destination
// `dest`: any entry there but the archive's index.
bool SetAsideLeft(const std::wstring& dest);
// The contents of every file below dir, "@" included (the index left out).
std::vector<std::string> AllContents(const std::wstring& dir);

// Log lines of a kind (core::kLogNormal, kLogError, kLogHint), oldest first.
std::vector<std::wstring> LogLines(int kind);
bool LogHas(int kind, const std::wstring& line);
// An error line with the system's text of `code` appended, as the run logs it.
std::wstring Because(const std::wstring& line, uint32_t code);
size_t CountLogPrefix(int kind, const std::wstring& prefix);

// Whether a fault injected with InjectFault(op, nth, ...) has fired since
// (false when fewer than nth calls were made). Disarms the fault.
bool FaultFired(plat::FaultOp op, int nth);

// Host path of a Windows path on the portable layer (drive "Z:" is "/");
// "" on other builds.
std::string HostPathOf(const std::wstring& windowsPath);

}  // namespace testing_support
