// bench_run_job: one backup job through the real run, as the program starts
// it from its window, but with no window: the configuration directory in a
// scratch folder, the log channels connected, and the two host folders seen
// through drive letters of the portable layer. The Windows build (run under
// Wine) takes the folders as Windows paths ("Z:\tmp\b\src") and uses them
// as they are.
//
//   bench_run_job --src DIR --dest DIR --config DIR
//                 [--versions N] [--interval DAYS] [--logext 0|1]
//                 [--list-ahead 0|1] [--copy-ahead 0|1] [--flush 0|1] [--entry-count N]
//                 [--verify 0|1] [--compare-ahead 0|1]
//
// --list-ahead 0, --copy-ahead 0 and --compare-ahead 0 keep the listings,
// the copies or the comparisons on the run's thread, for a side-by-side
// figure of what the other threads buy; --flush 0 leaves out the flush of
// each copy before it gets its name (which the program always makes), for
// the figure of what it costs. --entry-count gives the job the count of an
// earlier run, so that the mass-change guard counts what each level would
// change (0, the default: a job never counted, which the guard leaves
// alone). --verify 1 is "Prüfen": every file the size-and-date rule calls
// equal is also compared by content.
//
// Prints one line of counts; exits 1 when the run counted errors (the error
// lines go to stderr), 2 on bad arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/host_folders.h"
#include "core/records.h"
#include "core/report.h"
#include "core/state.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/sinks.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "platform/text.h"

namespace {

struct Args {
    std::string src, dest, config;
    int32_t versions = 3;
    int32_t interval = 0;
    int8_t logExt = 0;
    bool listAhead = true;
    bool copyAhead = true;
    bool flush = true;
    int32_t entryCount = 0;
    bool verify = false;
    bool compareAhead = true;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: bench_run_job --src DIR --dest DIR --config DIR\n"
                 "                     [--versions N] [--interval DAYS] [--logext 0|1]\n"
                 "                     [--list-ahead 0|1] [--copy-ahead 0|1] [--flush 0|1] [--entry-count N]\n"
                 "                     [--verify 0|1] [--compare-ahead 0|1]\n");
}

bool ParseInt(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= low && value <= high;
}

bool ParseArgs(int argc, char** argv, Args& args) {
    for (int at = 1; at + 1 < argc; at += 2) {
        const std::string key = argv[at];
        const char* value = argv[at + 1];
        long number = 0;
        if (key == "--src") {
            args.src = value;
        } else if (key == "--dest") {
            args.dest = value;
        } else if (key == "--config") {
            args.config = value;
        } else if (key == "--versions" && ParseInt(value, -1, 1000, number)) {
            args.versions = static_cast<int32_t>(number);
        } else if (key == "--interval" && ParseInt(value, 0, 100000, number)) {
            args.interval = static_cast<int32_t>(number);
        } else if (key == "--logext" && ParseInt(value, 0, 1, number)) {
            args.logExt = static_cast<int8_t>(number);
        } else if (key == "--list-ahead" && ParseInt(value, 0, 1, number)) {
            args.listAhead = number != 0;
        } else if (key == "--copy-ahead" && ParseInt(value, 0, 1, number)) {
            args.copyAhead = number != 0;
        } else if (key == "--flush" && ParseInt(value, 0, 1, number)) {
            args.flush = number != 0;
        } else if (key == "--entry-count" && ParseInt(value, 0, 2147483647, number)) {
            args.entryCount = static_cast<int32_t>(number);
        } else if (key == "--verify" && ParseInt(value, 0, 1, number)) {
            args.verify = number != 0;
        } else if (key == "--compare-ahead" && ParseInt(value, 0, 1, number)) {
            args.compareAhead = number != 0;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !args.src.empty() && !args.dest.empty() && !args.config.empty();
}

// A folder given as a Windows path, with the trailing backslash jobs carry,
// or "" when it is no existing folder.
std::wstring WindowsDir(const std::string& path) {
    const std::wstring wide = plat::Utf8ToWide(path);
    if (wide.empty() || !plat::DirExists(wide)) return L"";
    return wide.back() == L'\\' ? wide : wide + L"\\";
}

// The three folders as the job sees them: as given on Windows, through
// drive letters on the portable layer.
bool JobFolders(const Args& args, std::wstring& srcPath, std::wstring& destPath, std::wstring& configPath) {
    if (!plat::PortableLayer()) {
        srcPath = WindowsDir(args.src);
        destPath = WindowsDir(args.dest);
        configPath = WindowsDir(args.config);
        return !srcPath.empty() && !destPath.empty() && !configPath.empty();
    }
    const std::string src = bench::HostDir(args.src), dest = bench::HostDir(args.dest),
                      config = bench::HostDir(args.config);
    return !src.empty() && !dest.empty() && !config.empty() && bench::MapFolder(L"S:", src, srcPath) &&
           bench::MapFolder(L"T:", dest, destPath) && bench::MapFolder(L"K:", config, configPath);
}

void PrintMessage(const std::wstring& title, const std::wstring& text) {
    std::fprintf(stderr, "message %s: %s\n", plat::WideToUtf8(title).c_str(), plat::WideToUtf8(text).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    if (!ParseArgs(argc, argv, args)) {
        Usage();
        return 2;
    }
    std::wstring srcPath, destPath, configPath;
    if (!JobFolders(args, srcPath, destPath, configPath)) {
        std::fprintf(stderr, "bench_run_job: --src, --dest and --config must be existing folders\n");
        return 2;
    }

    logs::InstallCoreSinks(&PrintMessage);
    core::State& state = core::S();
    state.paths.ProgramDir = configPath;
    state.paths.ConfigDir = configPath;
    state.paths.IniDir = configPath;
    state.paths.IniFile = configPath + L"Tresoro.ini";
    // The destination exists; searching other drives would only add noise.
    state.settings.GSearchDest = 0;
    state.settings.GLogExt = args.logExt;

    core::Job job;
    job.Sid = 4711;
    job.Src = srcPath;
    job.Dest = destPath;
    job.Flags = core::kFlagSelected;
    job.ArcVersions = args.versions;
    job.ArcInterval = args.interval;
    job.EntryCount = args.entryCount;
    state.Jobs.Append(job);

    plat::SetFlushSkippedForTest(!args.flush);
    engine::RunOptions options;
    options.IgnoreInterval = true;
    options.ListAhead = args.listAhead;
    options.CopyAhead = args.copyAhead;
    options.Verify = args.verify;
    options.CompareAhead = args.compareAhead;
    const engine::Run run = engine::RunBackup(options);
    engine::EndRun(run);

    std::printf("copied %d files (%lld bytes), entries %d, errors %d, hints %zu", run.tally.FilesCopied,
                static_cast<long long>(run.tally.BytesCopied), run.tally.EntriesDone, run.tally.RunErrorCount,
                logs::ChannelLineCount(core::kLogHint));
    if (args.verify)
        std::printf(", verified %d files (%lld bytes), differing %d", run.tally.FilesVerified,
                    static_cast<long long>(run.tally.BytesVerified), run.tally.FilesDiffering);
    std::printf("\n");
    if (run.tally.RunErrorCount == 0) return 0;
    const std::wstring errors = logs::ChannelNewestText(core::kLogError, 20);
    std::fprintf(stderr, "%s", plat::WideToUtf8(errors).c_str());
    return 1;
}
