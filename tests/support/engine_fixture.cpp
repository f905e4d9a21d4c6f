#include "tests/support/engine_fixture.h"

#include <gtest/gtest.h>

#include "core/state.h"
#include "core/text_helpers.h"
#include "engine/archive_index.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "log/error_text.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/testing.h"
#include "platform/text.h"

namespace testing_support {

static DisplayRecord g_record;
static engine::Run g_testRun;
static engine::SetAsideScratch g_testAside;

engine::Run& TestRun() { return g_testRun; }
engine::SetAsideScratch& TestAside() { return g_testAside; }

void ResetTestRun() {
    g_testRun = engine::Run{};
    g_testAside = engine::SetAsideScratch{};
}

void ClearRunErrors() {
    g_testRun.tally.RunErrorCount = 0;
    g_testRun.tally.ErrorDetailLines = 0;
}

void ResetForNextCase() {
    core::ResetState();
    logs::ResetLogState();
    ClearRunErrors();
    engine::ResetRunState();
    ResetTestRun();
    InstallRecorder();
}

void SyncAs(int32_t sid, const std::wstring& sourceDir, const std::wstring& destDir) {
    core::Job job;
    job.Sid = sid;
    for (const core::Job& listed : core::S().Jobs.items)
        if (listed.Sid == sid) job = listed;
    g_testRun.inputs = engine::TakeRunInputs();
    engine::SyncDirectory({g_testRun.options, g_testRun.inputs, job}, g_testRun.tally, sourceDir, destDir);
}

engine::ArchivePlace PlaceFor(const std::wstring& archiveDir, const std::wstring& setAsideDir, int32_t versions,
                              int32_t intervalDays) {
    return {archiveDir, setAsideDir, versions, intervalDays,
            core::LogsArchiveMoves(core::LogDetailOf(core::S().settings.GLogExt))};
}

DisplayRecord& Recorded() { return g_record; }

namespace {
void RecStatusLine(const std::wstring& t) { g_record.statusLines.push_back(t); }
void RecProgressCount(const std::wstring& t) { g_record.progressCounts.push_back(t); }
void RecCopiedMB(const std::wstring& t) { g_record.copiedMB.push_back(t); }
void RecFileSizeMB(const std::wstring& t) { g_record.fileSizeMB.push_back(t); }
void RecSpeedMBs(const std::wstring& t) { g_record.speedMBs.push_back(t); }
void RecFileProgress(int p) { g_record.fileProgress.push_back(p); }
void RecStatusImage(engine::Icon i) { g_record.statusImages.push_back(i); }
void RecTrayIcon(engine::Icon i) { g_record.trayIcons.push_back(i); }
void RecMessagesTab() { ++g_record.messagesTabShown; }
void RecControlsLocked(bool l) { g_record.controlsLocked.push_back(l); }
void RecBlink() { ++g_record.blinkStarts; }
void RecRelease() { ++g_record.cancelReleases; }
void RecWait(uint32_t) { ++g_record.waits; }
bool RecShutdownChecked() { return g_record.shutdownChecked; }
void RecStatusBlink() { ++g_record.statusBlinkStarts; }
void RecProgramEnd() { ++g_record.programEnds; }
bool RecAsk(const std::wstring& text) {
    g_record.questions.push_back(text);
    return g_record.answer;
}
void RecBalloon(const std::wstring& title, const std::wstring& text, engine::BalloonTopic topic) {
    g_record.balloons.push_back(title + L"|" + text);
    g_record.balloonTopics.push_back(topic);
}
void RecShutdownFailed(const wchar_t* text) { g_record.shutdownFailures.push_back(text); }
// A countdown that never sees its end would spin for ever: give up loudly.
constexpr int kRecMaxWindowWaits = 1000000;
void RecWindowWait(uint32_t milliseconds) {
    int number = ++g_record.windowWaits;
    g_record.windowWaitMillis.push_back(milliseconds);
    plat::AdvanceFakeClock(g_record.windowWaitClockMillis > 0 ? g_record.windowWaitClockMillis : milliseconds);
    if (g_record.cancelAtWindowWait > 0 && number == g_record.cancelAtWindowWait) engine::R().CancelRequested = 1;
    if (g_record.onWindowWait) g_record.onWindowWait(number);
    if (number == kRecMaxWindowWaits) {
        ADD_FAILURE() << "a countdown did not end after " << number << " waits";
        engine::R().CancelRequested = 1;
    }
}
void RecDrain() {
    int number = ++g_record.drains;
    if (g_record.cancelAtDrain > 0 && number == g_record.cancelAtDrain) engine::R().CancelRequested = 1;
    if (g_record.onDrain) g_record.onDrain(number);
}
}  // namespace

void InstallRecorder() {
    g_record = DisplayRecord{};
    engine::Display display;
    display.statusLine = RecStatusLine;
    display.progressCount = RecProgressCount;
    display.copiedMB = RecCopiedMB;
    display.fileSizeMB = RecFileSizeMB;
    display.speedMBs = RecSpeedMBs;
    display.fileProgress = RecFileProgress;
    display.statusImage = RecStatusImage;
    display.trayIcon = RecTrayIcon;
    display.showMessagesTab = RecMessagesTab;
    display.runControlsLocked = RecControlsLocked;
    display.blinkCancelButton = RecBlink;
    display.releaseCancelButton = RecRelease;
    display.drainEvents = RecDrain;
    display.waitEvents = RecWait;
    display.shutdownChecked = RecShutdownChecked;
    display.blinkStatusAndCancel = RecStatusBlink;
    display.waitWindowEvent = RecWindowWait;
    display.endProgramNow = RecProgramEnd;
    display.askYesNo = RecAsk;
    display.trayBalloon = RecBalloon;
    display.shutdownFailed = RecShutdownFailed;
    engine::SetDisplay(display);
}

core::Job& AddJob(const std::wstring& src, const std::wstring& dest, int32_t versions, int32_t intervalDays) {
    core::Job job;
    job.Sid = 1001 + static_cast<int32_t>(core::S().Jobs.Size());
    job.Src = core::AddBackslash(src);
    job.Dest = core::AddBackslash(dest);
    job.Flags = core::kFlagSelected;
    job.ArcVersions = versions;
    job.ArcInterval = intervalDays;
    return core::S().Jobs.Append(job);
}

JobTree::JobTree(int32_t versions, int32_t intervalDays) {
    src = tree.Path(L"src\\");
    dst = tree.Path(L"dst\\");
    tree.Mkdir(L"src");
    tree.Mkdir(L"dst");
    sid = AddJob(src, dst, versions, intervalDays).Sid;
}

core::Job& JobTree::Job() {
    for (core::Job& job : core::S().Jobs.items)
        if (job.Sid == sid) return job;
    return core::S().Jobs.items.back();
}

void JobTree::Sync() { SyncAs(sid, src, dst); }

void AddExclude(int32_t sid, const std::wstring& path) {
    core::S().Excludes.Append(core::Exclude{sid, plat::ToUpper(path)});
}

void AddArcIndiv(int32_t sid, const std::wstring& path, int32_t versions, int32_t intervalDays, bool recursive) {
    core::ArcIndivEntry entry;
    entry.Sid = sid;
    entry.Path = plat::ToUpper(path);
    entry.Versions = versions;
    entry.Interval = intervalDays;
    entry.Recursive = recursive ? 1 : 0;
    core::S().ArcIndiv.Append(entry);
}

static void FixtureMakeParents(const std::wstring& path) {
    size_t pos = path.find(L'\\', 3);
    while (pos != std::wstring::npos) {
        std::wstring dir = path.substr(0, pos);
        if (!plat::DirExists(dir)) {
            EXPECT_TRUE(plat::CreateDir(dir)) << "cannot create a test folder";
        }
        pos = path.find(L'\\', pos + 1);
    }
}

void WriteDated(const std::wstring& path, const std::string& bytes, int64_t date) {
    FixtureMakeParents(path);
    ASSERT_TRUE(plat::WriteFileReplacing(path, bytes)) << "cannot write test file";
    ASSERT_TRUE(plat::SetModified(path, date)) << "cannot date test file";
}

int64_t DateOf(const std::wstring& path) {
    int64_t date = 0;
    return plat::GetModified(path, date) ? date : -1;
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    // A file that is not there reads as nothing, which no test expects.
    (void)plat::ReadWholeFile(path, bytes);
    return bytes;
}

bool Exists(const std::wstring& path) { return plat::GetAttributes(path) != plat::kInvalidAttributes; }

// "...\@\@\": where versions wait, and the archive's index lies.
static bool FixtureIsSetAsideArea(const std::wstring& dir) {
    return dir.size() >= 5 && dir.compare(dir.size() - 5, 5, L"\\@\\@\\") == 0;
}

static void FixtureWalk(const std::wstring& dir, const std::wstring& relative, bool skipArchive,
                        std::map<std::wstring, std::string>& out) {
    std::vector<plat::DirEntry> entries;
    if (!plat::ListDir(dir, L"*", entries)) return;
    const bool setAsideArea = FixtureIsSetAsideArea(dir);
    for (const plat::DirEntry& entry : entries) {
        if (skipArchive && relative.empty() && entry.name == L"@") continue;
        if (setAsideArea && entry.name == plat::PathName(engine::kIndexFile)) continue;
        if (entry.attributes & plat::kAttrDirectory) {
            const std::wstring inner = dir + entry.name + L"\\";
            // A set-aside area that holds nothing but the index is no
            // leftover.
            if (FixtureIsSetAsideArea(inner) && !SetAsideLeft(plat::PathFolder(dir.substr(0, dir.size() - 1))))
                continue;
            out[relative + entry.name + L"\\"] = "";
            if (!(entry.attributes & plat::kAttrReparsePoint))
                FixtureWalk(inner, relative + entry.name + L"\\", false, out);
        } else {
            out[relative + entry.name] = ReadAll(dir + entry.name);
        }
    }
}

bool SetAsideLeft(const std::wstring& dest) {
    std::vector<plat::DirEntry> entries;
    if (!plat::ListDir(core::AddBackslash(dest) + L"@\\@\\", L"*", entries)) return false;
    for (const plat::DirEntry& entry : entries)
        if (entry.name != plat::PathName(engine::kIndexFile)) return true;
    return false;
}

std::map<std::wstring, std::string> Snapshot(const std::wstring& dir, bool skipArchive) {
    std::map<std::wstring, std::string> out;
    FixtureWalk(core::AddBackslash(dir), L"", skipArchive, out);
    return out;
}

std::vector<std::string> AllContents(const std::wstring& dir) {
    std::vector<std::string> out;
    for (const auto& [path, content] : Snapshot(dir))
        if (path.empty() || path.back() != L'\\') out.push_back(content);
    return out;
}

std::vector<std::wstring> LogLines(int kind) { return logs::ChannelLines(kind); }

bool LogHas(int kind, const std::wstring& line) {
    for (const std::wstring& l : LogLines(kind))
        if (l == line) return true;
    return false;
}

std::wstring Because(const std::wstring& line, uint32_t code) {
    return line + L"\t\t(" + logs::WindowsErrorText(code) + L")";
}

size_t CountLogPrefix(int kind, const std::wstring& prefix) {
    size_t count = 0;
    for (const std::wstring& l : LogLines(kind))
        if (l.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}

// A fault not yet fired still counts down: probing it at most nth times
// reaches it. One that fired (once) never answers again.
bool FaultFired(plat::FaultOp op, int nth) {
    for (int i = 0; i < nth; ++i) {
        if (plat::FaultHit(op)) {
            plat::ClearFaults();
            return false;
        }
    }
    plat::ClearFaults();
    return true;
}

std::string HostPathOf(const std::wstring& windowsPath) {
    if (!plat::PortableLayer() || windowsPath.size() < 2 || !plat::EqualNoCase(windowsPath.substr(0, 2), L"Z:"))
        return "";
    std::string host = plat::WideToUtf8(windowsPath.substr(2));
    for (char& c : host)
        if (c == '\\') c = '/';
    while (host.size() > 1 && host.back() == '/') host.pop_back();
    return host.empty() ? "/" : host;
}

}  // namespace testing_support
