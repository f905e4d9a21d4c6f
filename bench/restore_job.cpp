// bench_restore: a job's backup restored as of a moment into an empty
// folder, through the real catalogue, state and copy, with no window. The
// two host folders are seen through drive letters of the portable layer.
//
//   bench_restore --mirror DIR --to DIR [--asof "JJJJ-MM-TT hh:mm[:ss]"]
//                 [--copy-ahead 0|1] [--flush 0|1]
//
// Without --asof the newest state; --copy-ahead 0 copies every file at its
// turn; --flush 0 leaves out the flush before each file's name (the
// program always flushes), for the figure of what it costs. Prints one
// line of counts and, on stderr, the seconds of each step (catalogue,
// state, copies); exits 1 when anything failed or went beside an existing
// file, 2 on bad arguments.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/host_folders.h"
#include "engine/restore.h"
#include "log/channels.h"
#include "log/sinks.h"
#include "platform/fault.h"
#include "platform/text.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_restore --mirror DIR --to DIR [--asof \"JJJJ-MM-TT hh:mm[:ss]\"] [--copy-ahead 0|1]"
                 " [--flush 0|1]\n");
    return 2;
}

void PrintMessage(const std::wstring& title, const std::wstring& text) {
    std::fprintf(stderr, "message %s: %s\n", plat::WideToUtf8(title).c_str(), plat::WideToUtf8(text).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string mirror, to, asOfText, ahead = "1", flush = "1";
    for (int at = 1; at + 1 < argc; at += 2) {
        const std::string key = argv[at];
        std::string* value = key == "--mirror"       ? &mirror
                             : key == "--to"         ? &to
                             : key == "--asof"       ? &asOfText
                             : key == "--copy-ahead" ? &ahead
                             : key == "--flush"      ? &flush
                                                     : nullptr;
        if (!value) return Usage();
        *value = argv[at + 1];
    }
    int64_t asOf = engine::kNewestState;
    const std::string mirrorDir = bench::HostDir(mirror), toDir = bench::HostDir(to);
    std::wstring mirrorPath, toPath;
    if (argc % 2 == 0 || mirrorDir.empty() || (ahead != "0" && ahead != "1") || (flush != "0" && flush != "1") ||
        toDir.empty() || (!asOfText.empty() && !engine::ParseRestoreMoment(plat::Utf8ToWide(asOfText), asOf)) ||
        !bench::MapFolder(L"T:", mirrorDir, mirrorPath) || !bench::MapFolder(L"R:", toDir, toPath))
        return Usage();
    logs::InstallCoreSinks(&PrintMessage);
    plat::SetFlushSkippedForTest(flush == "0");

    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double>(to - from).count();
    };
    const Clock::time_point start = Clock::now();
    const engine::Catalog catalog = engine::BuildCatalog(mirrorPath);
    const Clock::time_point catalogued = Clock::now();
    const std::vector<engine::StateItem> items = engine::StateAt(catalog, asOf, L"");
    const Clock::time_point stated = Clock::now();
    toPath.pop_back();  // the target is the folder itself
    engine::RestoreHooks hooks;
    hooks.copyAhead = ahead == "1";
    const engine::RestoreOutcome out = engine::RestoreState(items, L"", toPath, asOf, hooks);
    std::fprintf(stderr, "seconds: catalogue %.3f, state %.3f, copies %.3f\n", seconds(start, catalogued),
                 seconds(catalogued, stated), seconds(stated, Clock::now()));

    std::printf("restored %d files (%lld bytes), folders %d, beside %d, failed %d, by name %d, unreadable %zu\n",
                out.restored, static_cast<long long>(out.bytes), out.folders, out.beside, out.failed,
                catalog.byNameVersions, catalog.unreadable.size());
    if (out.failed == 0 && out.beside == 0 && catalog.unreadable.empty()) return 0;
    std::fprintf(stderr, "%s", plat::WideToUtf8(logs::ChannelNewestText(core::kLogError, 20)).c_str());
    return 1;
}
