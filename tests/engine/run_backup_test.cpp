// What a run shows: its opening and closing lines, the result icon and text,
// the order of the end steps, cancelling from the window and the run time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/state.h"
#include "core/text_helpers.h"
#include "engine/countdown.h"
#include "engine/display.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "log/sinks.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/power.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

namespace {

using engine::Icon;

// Everything the run asked of the window. Icons also come from the
// animation thread, hence the lock.
struct Recorder {
    std::mutex mu;
    std::vector<std::wstring> events;  // main-thread calls in order
    std::vector<Icon> tray;
    std::vector<Icon> image;
    // RunAnimating whenever the run itself (the main thread) set an icon.
    std::vector<int32_t> animatingAtMainIcon;
    std::thread::id mainThread;
    int drains = 0;
    bool shutdownChecked = false;
    void (*onDrain)(int count) = nullptr;
    // Called at the first wait of an end countdown.
    void (*onEnd)() = nullptr;
};

Recorder g_rec;

void RecEvent(const std::wstring& event) {
    std::lock_guard<std::mutex> lock(g_rec.mu);
    g_rec.events.push_back(event);
}

// Called under the lock.
void RecMainIcon() {
    if (std::this_thread::get_id() == g_rec.mainThread)
        g_rec.animatingAtMainIcon.push_back(engine::RunAnimating.load());
}

engine::Display RecorderDisplay() {
    engine::Display d;
    d.statusLine = [](const std::wstring& t) { RecEvent(L"status:" + t); };
    d.progressCount = [](const std::wstring& t) { RecEvent(L"progress:" + t); };
    d.fileProgress = [](int p) { RecEvent(L"bar:" + std::to_wstring(p)); };
    d.statusImage = [](Icon i) {
        std::lock_guard<std::mutex> lock(g_rec.mu);
        g_rec.image.push_back(i);
        RecMainIcon();
    };
    d.trayIcon = [](Icon i) {
        std::lock_guard<std::mutex> lock(g_rec.mu);
        g_rec.tray.push_back(i);
        RecMainIcon();
    };
    d.showMessagesTab = [] { RecEvent(L"tab"); };
    d.runControlsLocked = [](bool on) { RecEvent(on ? L"lock:1" : L"lock:0"); };
    d.blinkCancelButton = [] { RecEvent(L"blink"); };
    d.releaseCancelButton = [] { RecEvent(L"release"); };
    d.drainEvents = [] {
        int count = 0;
        {
            std::lock_guard<std::mutex> lock(g_rec.mu);
            count = ++g_rec.drains;
        }
        if (g_rec.onDrain) g_rec.onDrain(count);
    };
    d.shutdownChecked = [] { return g_rec.shutdownChecked; };
    // The end countdowns after the run blink the status line and wait for
    // window events; a wait moves the fake clock on by its time-out.
    d.blinkStatusAndCancel = [] { RecEvent(L"countdown"); };
    d.waitWindowEvent = [](uint32_t milliseconds) {
        RecEvent(L"wait");
        if (g_rec.onEnd) {
            g_rec.onEnd();
            g_rec.onEnd = nullptr;
        }
        plat::AdvanceFakeClock(milliseconds);
    };
    d.endProgramNow = [] { RecEvent(L"exit"); };
    return d;
}

std::vector<std::wstring> StatusEvents() {
    std::vector<std::wstring> out;
    for (const std::wstring& e : g_rec.events)
        if (e.rfind(L"status:", 0) == 0) out.push_back(e.substr(7));
    return out;
}

constexpr auto Lines = &testing_support::LogLines;
constexpr auto HasLine = &testing_support::LogHas;

bool AnyLineContains(int kind, const std::wstring& part) {
    for (const std::wstring& line : Lines(kind))
        if (line.find(part) != std::wstring::npos) return true;
    return false;
}

// Waits (bounded) until the animation has shown a frame, so the run's own
// icon is set after real animation frames.
void WaitForAnimationFrame() {
    for (int i = 0; i < 2000; ++i) {
        {
            std::lock_guard<std::mutex> lock(g_rec.mu);
            if (!g_rec.tray.empty()) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

struct EngineRun : testing::Test {
    testing_support::TempTree tree;
    int64_t now = 0;

    void SetUp() override {
        {
            std::lock_guard<std::mutex> lock(g_rec.mu);
            g_rec.events.clear();
            g_rec.tray.clear();
            g_rec.image.clear();
            g_rec.animatingAtMainIcon.clear();
            g_rec.mainThread = std::this_thread::get_id();
            g_rec.drains = 0;
        }
        g_rec.shutdownChecked = false;
        g_rec.onDrain = nullptr;
        g_rec.onEnd = nullptr;
        engine::SetDisplay(RecorderDisplay());
        logs::InstallCoreSinks(nullptr);
        tree.Mkdir(L"cfg");
        core::S().paths.ConfigDir = tree.Path(L"cfg\\");
        core::S().paths.IniDir = tree.Path(L"cfg\\");
        core::S().paths.IniFile = tree.Path(L"cfg\\Tresoro.ini");
        core::S().settings.GSearchDest = 0;
        // The real date, frozen: source files carry real dates.
        now = plat::Now();
        plat::SetFakeClock(now, 5000);
    }

    core::Job& AddJob(const std::wstring& name, int files = 1) {
        for (int i = 0; i < files; ++i) tree.Write(name + L"\\src\\f" + std::to_wstring(i) + L".txt", "data");
        tree.Mkdir(name + L"\\dest");
        core::Job job;
        job.Sid = 1000 + static_cast<int32_t>(core::S().Jobs.Size());
        job.Src = tree.Path(name + L"\\src\\");
        job.Dest = tree.Path(name + L"\\dest\\");
        job.Flags = core::kFlagSelected;
        return core::S().Jobs.Append(job);
    }

    std::wstring Opening(const core::Job& job) const {
        return core::FormatLogDate(now) + L"   " + job.Src + L"   >>>   " + job.Dest;
    }
};

const std::wstring kSep = L"---------------------------------------------------";

TEST_F(EngineRun, EmptyJobListLogsZerosAndNothingToCopy) {
    engine::EndRun(engine::RunBackup({}));
    const std::vector<std::wstring> expected = {L"",
                                                L"",
                                                L"",
                                                kSep,
                                                L"Kopiert: 0 (0 MB)",
                                                L"Anzahl Dateien: 0",
                                                kSep,
                                                L"Zeitaufwand: 00:00:00",
                                                core::FormatLogDate(now) + L"   Ende",
                                                kSep};
    EXPECT_EQ(Lines(core::kLogNormal), expected);
    const std::vector<std::wstring> events = {L"blink",
                                              L"tab",
                                              L"lock:1",
                                              L"status:Kopieren gestartet",
                                              L"status:Nichts zu kopieren...",
                                              L"progress:- fertig -",
                                              L"bar:0",
                                              L"lock:0",
                                              L"bar:0",
                                              L"release"};
    EXPECT_EQ(g_rec.events, events);
    ASSERT_FALSE(g_rec.tray.empty());
    EXPECT_EQ(g_rec.tray.back(), Icon::Idle);
    EXPECT_EQ(g_rec.image.back(), Icon::Idle);
    EXPECT_EQ(engine::Blinking.load(), 0);
    EXPECT_EQ(engine::RunAnimating.load(), -1);
    // The configuration is written at the start of every run.
    EXPECT_TRUE(plat::FileExists(core::S().paths.IniFile));
}

TEST_F(EngineRun, UnselectedJobsAreNotLookedAt) {
    core::Job& job = AddJob(L"a");
    job.Flags = core::kFlagOptional;
    job.EntryCount = 7;
    engine::EndRun(engine::RunBackup({engine::ItJobMode::Normal, true}));
    EXPECT_EQ(Lines(core::kLogNormal).size(), 10u);
    EXPECT_TRUE(HasLine(core::kLogNormal, L"Anzahl Dateien: 0"));
    EXPECT_EQ(StatusEvents().back(), L"Nichts zu kopieren...");
    EXPECT_EQ(g_rec.tray.back(), Icon::Idle);
    EXPECT_EQ(core::S().Jobs.items[0].EntryCount, 7);
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, 0);
    EXPECT_FALSE(tree.Exists(L"a\\dest\\f0.txt"));
}

TEST_F(EngineRun, JobNotDueLogsItsDueDateOnly) {
    core::Job& job = AddJob(L"a");
    job.Src = tree.Path(L"missing\\");  // not even validated
    job.BupInterval = 1;
    job.LastBup = static_cast<int32_t>(now);
    job.EntryCount = 42;
    const core::Job before = job;
    engine::EndRun(engine::RunBackup({}));
    const auto lines = Lines(core::kLogNormal);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[4], Opening(before));
    EXPECT_EQ(lines[5], L"Backup noch nicht fällig - nächstes frühestens am " +
                            core::FormatLogDate(engine::NextDue(before, core::S().settings.GFirstNext)) + L"   ");
    EXPECT_EQ(lines[6], L"Kopiert: 0 (0 MB)");
    EXPECT_TRUE(Lines(core::kLogError).empty());
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, before.LastBup);
    EXPECT_EQ(core::S().Jobs.items[0].EntryCount, 42);
    EXPECT_EQ(StatusEvents().back(), L"Nichts zu kopieren...");
}

TEST_F(EngineRun, SuccessfulRunCountsAndShowsTheOkIconAfterTheAnimation) {
    tree.Write(L"a\\src\\big.bin", std::string(700000, 'x'));
    tree.Write(L"a\\src\\sub\\big2.bin", std::string(700000, 'y'));
    AddJob(L"a", 0);
    g_rec.onDrain = [](int) { WaitForAnimationFrame(); };
    engine::EndRun(engine::RunBackup({}));
    const auto lines = Lines(core::kLogNormal);
    const std::vector<std::wstring> closing(lines.end() - 6, lines.end());
    const std::vector<std::wstring> expected = {L"Kopiert: 2 (1 MB)",
                                                L"Anzahl Dateien: 3",
                                                kSep,
                                                L"Zeitaufwand: 00:00:00",
                                                core::FormatLogDate(now) + L"   Ende",
                                                kSep};
    EXPECT_EQ(closing, expected);
    EXPECT_EQ(StatusEvents().back(), L"Backup ohne Fehler abgeschlossen...");
    // The first animation frame is the busy icon; the result comes last.
    ASSERT_GE(g_rec.tray.size(), 2u);
    EXPECT_EQ(g_rec.tray.front(), Icon::Busy);
    EXPECT_EQ(g_rec.image.front(), Icon::Busy);
    EXPECT_EQ(g_rec.tray.back(), Icon::Ok);
    EXPECT_EQ(g_rec.image.back(), Icon::Ok);
    // The run set its icons only once the animation had signalled its end.
    EXPECT_EQ(g_rec.animatingAtMainIcon, (std::vector<int32_t>{-1, -1}));
    EXPECT_EQ(tree.Read(L"a\\dest\\sub\\big2.bin").size(), 700000u);
    EXPECT_EQ(core::S().Jobs.items[0].EntryCount, 3);
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, static_cast<int32_t>(now));
    // Without "/S<n>" and the shutdown box the run ends nothing.
    EXPECT_EQ(std::count(g_rec.events.begin(), g_rec.events.end(), L"countdown"), 0);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
}

TEST_F(EngineRun, ErrorsGiveTheErrorIconAndTheirCount) {
    core::Job& bad = AddJob(L"a");
    bad.Src = tree.Path(L"gone\\");
    core::Job& bad2 = AddJob(L"b");
    bad2.Src = tree.Path(L"gone2\\");
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(HasLine(core::kLogNormal, L"ES SIND FEHLER AUFGETRETEN: 2"));
    EXPECT_EQ(StatusEvents().back(), L"Backup mit Fehler abgeschlossen...");
    EXPECT_EQ(g_rec.tray.back(), Icon::Error);
    EXPECT_EQ(g_rec.image.back(), Icon::Error);
    // The summary block of the error channel carries the run's count.
    EXPECT_TRUE(AnyLineContains(core::kLogError, L"   Anzahl Fehler: 2"));
}

TEST_F(EngineRun, ErrorLineSaysWhenTheAutomaticEndIsDelayed) {
    core::Job& bad = AddJob(L"a");
    bad.Src = tree.Path(L"gone\\");
    const std::wstring plain = L"ES SIND FEHLER AUFGETRETEN: 1";
    const std::wstring delayed = plain + L" (aut. Programm-Beendigung wird deshalb verzögert)";

    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(HasLine(core::kLogNormal, plain));
    EXPECT_FALSE(HasLine(core::kLogNormal, delayed));

    engine::Countdown().EndDelay = 30;
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(HasLine(core::kLogNormal, delayed));

    logs::ResetLogState();
    engine::Countdown().EndDelay = 0;
    g_rec.shutdownChecked = true;
    plat::SetShutdownHookForTest([](uint32_t) { return 0; });
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(HasLine(core::kLogNormal, delayed));
}

TEST_F(EngineRun, PendingHintsAreAnnouncedOnceAndCleared) {
    AddJob(L"a");
    // A configuration that cannot be written is a hint, not an error.
    core::S().paths.IniFile = tree.Path(L"nodir\\Tresoro.ini");
    engine::EndRun(engine::RunBackup({}));
    const auto lines = Lines(core::kLogNormal);
    auto at = std::find(lines.begin(), lines.end(), L"Hinweise beachten...!");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at - 1), kSep);
    EXPECT_EQ(*(at - 2), L"Anzahl Dateien: 1");
    EXPECT_EQ(logs::LS().HintsPending, 0);
    EXPECT_FALSE(HasLine(core::kLogNormal, L"ES SIND FEHLER AUFGETRETEN: 0"));
    EXPECT_EQ(StatusEvents().back(), L"Backup ohne Fehler abgeschlossen...");
}

TEST_F(EngineRun, RunTimeWrapsAfterADay) {
    AddJob(L"a");
    g_rec.onDrain = [](int count) {
        if (count == 1) plat::AdvanceFakeClock(25u * 3600u * 1000u);
    };
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(HasLine(core::kLogNormal, L"Zeitaufwand: 01:00:00"));
    EXPECT_TRUE(HasLine(core::kLogNormal, core::FormatLogDate(now + 25 * 3600) + L"   Ende"));
}

TEST_F(EngineRun, LogsAreSavedBeforeTheEndSequence) {
    AddJob(L"a");
    static std::wstring messagesFile;
    messagesFile = tree.Path(L"cfg\\") + logs::LogFileName(core::kLogNormal, logs::CurrentMonth());
    g_rec.onEnd = [] {
        std::string bytes;
        ASSERT_TRUE(plat::ReadWholeFile(messagesFile, bytes));
        EXPECT_NE(bytes.find("   Ende"), std::string::npos);
    };
    engine::Countdown().EndDelay = 2;
    engine::EndRun(engine::RunBackup({engine::ItJobMode::Manual, true}));
    const auto& ev = g_rec.events;
    auto end = std::find(ev.begin(), ev.end(), L"countdown");
    ASSERT_NE(end, ev.end());
    EXPECT_NE(std::find(ev.begin(), end, L"progress:- fertig -"), end);
    EXPECT_EQ(std::find(ev.begin(), end, L"lock:0"), end);
    EXPECT_EQ(ev.back(), L"release");
    // The countdown ran out: the main loop ends the program.
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
    EXPECT_EQ(engine::Countdown().EndDelay, 0);
}

// A run killed in its second job still leaves the first in the month's log.
TEST_F(EngineRun, LogsAreSavedAfterEachJob) {
    const std::wstring firstSrc = AddJob(L"a").Src;
    const std::wstring secondSrc = AddJob(L"b").Src;
    static std::wstring messagesFile;
    static std::vector<std::string> seen;
    messagesFile = tree.Path(L"cfg\\") + logs::LogFileName(core::kLogNormal, logs::CurrentMonth());
    seen.clear();
    g_rec.onDrain = [](int) {
        std::string bytes;
        seen.push_back(plat::ReadWholeFile(messagesFile, bytes) ? bytes : "");
    };
    engine::EndRun(engine::RunBackup({engine::ItJobMode::Normal, true}));
    ASSERT_GE(seen.size(), 2u) << "at least one drain per job";
    EXPECT_EQ(seen.front(), "") << "nothing saved before the first job is done";
    // Drained in the second job.
    EXPECT_NE(seen.back().find(plat::WideToUtf8(firstSrc + L"   >>>   ")), std::string::npos);
    EXPECT_EQ(seen.back().find(plat::WideToUtf8(secondSrc)), std::string::npos);
    EXPECT_EQ(seen.back().find("   Ende"), std::string::npos);

    // At the end the files hold the whole run, as a single save writes it.
    std::string final;
    ASSERT_TRUE(plat::ReadWholeFile(messagesFile, final));
    EXPECT_EQ(final, "\xEF\xBB\xBF" + plat::WideToUtf8(logs::ChannelText(core::kLogNormal)));
    EXPECT_FALSE(plat::FileExists(tree.Path(L"cfg\\") + logs::LogFileName(core::kLogError, logs::CurrentMonth())));
}

TEST_F(EngineRun, CancelInTheFirstJobEndsTheRun) {
    core::Job& first = AddJob(L"a", 3);
    first.EntryCount = 100;
    const std::wstring firstSrc = first.Src;
    const std::wstring secondSrc = AddJob(L"b").Src;
    g_rec.onDrain = [](int) {
        WaitForAnimationFrame();
        engine::R().CancelRequested = 1;
    };
    engine::Countdown().EndDelay = 30;
    g_rec.shutdownChecked = true;
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(HasLine(core::kLogNormal, L"ABBRUCH bei " + firstSrc + L"!!!"));
    EXPECT_FALSE(AnyLineContains(core::kLogNormal, secondSrc));
    // Neither the program-end nor the shutdown countdown follows a cancel.
    EXPECT_EQ(std::count(g_rec.events.begin(), g_rec.events.end(), L"countdown"), 0);
    EXPECT_EQ(std::count(g_rec.events.begin(), g_rec.events.end(), L"wait"), 0);
    EXPECT_EQ(std::count(g_rec.events.begin(), g_rec.events.end(), L"exit"), 0);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
    EXPECT_EQ(StatusEvents().back(), L"Backup wurde abgebrochen...");
    EXPECT_EQ(g_rec.tray.back(), Icon::Idle);
    // The status image keeps what the run achieved before the cancel.
    EXPECT_EQ(g_rec.image.back(), Icon::Ok);
    EXPECT_EQ(g_rec.animatingAtMainIcon, (std::vector<int32_t>{-1, -1, -1}));
    EXPECT_EQ(g_rec.events.back(), L"release");
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, 0);
    EXPECT_EQ(core::S().Jobs.items[0].EntryCount, 100);  // never lowered by a cancel
    EXPECT_EQ(core::S().Jobs.items[1].LastBup, 0);
    EXPECT_FALSE(tree.Exists(L"b\\dest\\f0.txt"));
}

TEST_F(EngineRun, CancelledJobRaisesASmallerEntryCount) {
    AddJob(L"a", 3);
    g_rec.onDrain = [](int) { engine::R().CancelRequested = 1; };
    const engine::Run run = engine::RunBackup({});
    EXPECT_GE(run.tally.JobEntriesDone, 1);
    EXPECT_EQ(core::S().Jobs.items[0].EntryCount, run.tally.JobEntriesDone);
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, 0);
}

}  // namespace
