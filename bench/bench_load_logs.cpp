// bench_load_logs: what the month's logs cost the program at start, and what
// the log costs during a run.
//
//   bench_load_logs [--sizes MB,MB,...] [--runs N] [--lines N] [--dir DIR]
//
// 1. For each size (default 5, 10 and 20 MB, MB = 1,048,576 bytes) a
//    messages file "Tresoro<month>.log" of that size is written into a fresh
//    configuration folder: UTF-8 with byte order mark, CR LF lines of run
//    logs as the program writes them (German texts, paths with umlauts),
//    newest run first. Then logs::LoadLogs is timed, as the start-up calls
//    it, N times (default 7, after one unmeasured run); the median and MB/s
//    are printed per size, so that a load that is not linear in the size
//    shows at once. The error and hint files are absent, as in a month
//    without errors.
// 2. logs::AddLog for --lines lines (default 100,000) of "Kopiere: ..." as a
//    run with GLogExt 1 logs every copied file: once without a change hook,
//    once with a hook that does nothing (the window's view is attached
//    there and updated in batches of its own). The texts are made before
//    the clock starts, so only the log's own work is timed.
//
// Exits 1 when a load did not give the channel the lines written, 2 on bad
// arguments. The configuration folder (in /tmp unless --dir) is removed at
// the end.
#include "gen_plan.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "log/log_viewer.h"
#include "platform/testing.h"
#include "platform/text.h"

namespace {

struct Args {
    std::vector<uint64_t> sizesMB{5, 10, 20};
    int runs = 7;
    uint32_t lines = 100000;
    std::string dir;  // parent of the configuration folder
};

void Usage() {
    std::fprintf(stderr, "usage: bench_load_logs [--sizes MB,MB,...] [--runs N] [--lines N] [--dir DIR]\n");
}

bool ParseNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

bool ParseArgs(int argc, char** argv, Args& args) {
    for (int at = 1; at + 1 < argc; at += 2) {
        const std::string key = argv[at], value = argv[at + 1];
        uint64_t number = 0;
        if (key == "--sizes") {
            args.sizesMB.clear();
            size_t start = 0;
            while (start <= value.size()) {
                size_t comma = value.find(',', start);
                if (comma == std::string::npos) comma = value.size();
                if (!ParseNumber(value.substr(start, comma - start), 1, 900, number)) return false;
                args.sizesMB.push_back(number);
                start = comma + 1;
            }
        } else if (key == "--runs" && ParseNumber(value, 1, 1000, number)) {
            args.runs = static_cast<int>(number);
        } else if (key == "--lines" && ParseNumber(value, 1, 100000000, number)) {
            args.lines = static_cast<uint32_t>(number);
        } else if (key == "--dir") {
            args.dir = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

const char* const kFolders[] = {"Dokumente",
                                "Bilder",
                                "Urlaub 2019 Gardasee",
                                "Steuererklärung",
                                "Büro",
                                "Rechnungen",
                                "Verträge",
                                "Schriftverkehr Hausverwaltung",
                                "Fotos Geburtstag Oma",
                                "Vereinsarbeit",
                                "Übersetzungen",
                                "Größen",
                                "Kindergarten",
                                "Musik",
                                "Projekte",
                                "Angebote 2025",
                                "Korrespondenz",
                                "Archiv alt",
                                "Zeugnisse",
                                "Bewerbungen",
                                "Reisekosten",
                                "Präsentationen",
                                "Gemeinde",
                                "Grundstück Flurstück 12"};
const char* const kWords[] = {"Bericht",
                              "Protokoll",
                              "Rechnung",
                              "Angebot",
                              "Brief an Müller",
                              "Übersicht",
                              "Jahresabschluss",
                              "Kündigung",
                              "Nebenkostenabrechnung",
                              "Straßenfest",
                              "Einladung",
                              "Gehaltsabrechnung",
                              "Kostenaufstellung",
                              "Lebenslauf",
                              "Tabelle",
                              "Bestätigung",
                              "Mahnung",
                              "Gutschrift",
                              "Präsentation Schäfer",
                              "Notizen"};
const char* const kExtensions[] = {".docx", ".xlsx", ".pdf", ".jpg", ".txt", ".odt", ".pptx", ".png", ".mp3", ""};

std::string RandomPath(bench::Rng& r, const char* root) {
    std::string path = root;
    const size_t depth = 1 + r.Below(4);
    for (size_t i = 0; i < depth; ++i) {
        path += kFolders[r.Below(std::size(kFolders))];
        path += '\\';
    }
    path += kWords[r.Below(std::size(kWords))];
    if (r.Below(3) == 0) path += " " + std::to_string(1 + r.Below(400));
    path += kExtensions[r.Below(std::size(kExtensions))];
    return path;
}

std::string Date(bench::Rng& r) {
    char text[32];
    std::snprintf(text, sizeof text, "%02zu.%02zu.26 %02zu:%02zu:%02zu", 1 + r.Below(28), 1 + r.Below(12), r.Below(24),
                  r.Below(60), r.Below(60));
    return text;
}

// One run's block as the file holds it: newest line first.
void AppendRun(bench::Rng& r, std::string& out, uint32_t& lines) {
    auto line = [&](const std::string& text) {
        out += text;
        out += "\r\n";
        ++lines;
    };
    const char* const separator = "---------------------------------------------------";
    const size_t files = 20 + r.Below(400);
    line(separator);
    line(Date(r) + "   Ende");
    line("Zeitaufwand: 00:0" + std::to_string(r.Below(10)) + ":" + std::to_string(10 + r.Below(50)));
    if (r.Below(5) == 0) line("Hinweise beachten...!");
    line(separator);
    line("Anzahl Dateien: 100'003");
    line("Kopiert: " + std::to_string(files) + " (" + std::to_string(r.Below(900)) + " MB)");
    for (size_t i = 0; i < files; ++i) {
        const size_t pick = r.Below(20);
        if (pick < 14) {
            line("Kopiere: " + RandomPath(r, "C:\\Users\\Jürgen\\"));
        } else if (pick < 18) {
            const std::string slot = RandomPath(r, "E:\\Sicherung\\Jürgen\\@\\");
            line("Archiviere: " + RandomPath(r, "E:\\Sicherung\\Jürgen\\") + " -> " + slot);
        } else if (pick < 19) {
            line("Temp. Archivältester gelöscht: " + RandomPath(r, "E:\\Sicherung\\Jürgen\\@\\") + ".arc2del");
        } else {
            line("C:\\Users\\Jürgen\\" + std::string(kFolders[r.Below(std::size(kFolders))]) + "\\");
        }
    }
    line(Date(r) + "   C:\\Users\\Jürgen\\   >>>   E:\\Sicherung\\Jürgen\\");
    line(separator);
    for (int i = 0; i < 3; ++i) line("");
}

// A log of at least `bytes` bytes, byte order mark included.
std::string MakeLog(uint64_t bytes, uint64_t seed, uint32_t& lines) {
    bench::Rng r{seed};
    std::string out = "\xEF\xBB\xBF";
    out.reserve(bytes + 100000);
    lines = 0;
    while (out.size() < bytes) AppendRun(r, out, lines);
    return out;
}

bool WriteHostFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

using Clock = std::chrono::steady_clock;

double MillisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string RunsText(const std::vector<double>& values) {
    std::string text;
    char one[32];
    for (double v : values) {
        std::snprintf(one, sizeof one, "%s%.1f", text.empty() ? "" : " ", v);
        text += one;
    }
    return text;
}

void NoOpHook(int) {}

// "VmRSS" or "VmHWM" of this process in bytes, -1 when unknown.
double StatusBytes(const char* key) {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    double kb = -1;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') kb = std::atof(line + keyLength + 1);
    std::fclose(status);
    return kb < 0 ? -1 : kb * 1024;
}

// Bytes of peak memory that one LoadLogs adds, per byte of the file. Measured
// in a child process with a fresh high-water mark (/proc/self/clear_refs),
// after the C library gave back the memory it kept, so that pages a load
// reuses from the runs before count as the fresh pages they are at start.
// -1 when the kernel does not tell.
double PeakPerByte(uint64_t fileBytes) {
    std::fflush(stdout);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        logs::ResetLogState();
        malloc_trim(0);
        double result = -1;
        FILE* clear = std::fopen("/proc/self/clear_refs", "w");
        if (clear && std::fputs("5", clear) >= 0 && std::fclose(clear) == 0) {
            const double before = StatusBytes("VmRSS");
            logs::LoadLogs();
            const double peak = StatusBytes("VmHWM");
            if (before >= 0 && peak >= 0) result = (peak - before) / static_cast<double>(fileBytes);
        }
        const bool sent = write(pipeFds[1], &result, sizeof result) == sizeof result;
        _exit(sent ? 0 : 1);
    }
    close(pipeFds[1]);
    double result = -1;
    if (child < 0 || read(pipeFds[0], &result, sizeof result) != sizeof result) result = -1;
    close(pipeFds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return result;
}

// Returns false when a load lost lines.
bool BenchLoad(const Args& args, const std::string& hostDir) {
    const std::wstring fileName = logs::LogFileName(core::kLogNormal, logs::CurrentMonth());
    const std::string hostFile = hostDir + "/" + plat::WideToUtf8(fileName);
    std::printf("LoadLogs (the month's messages file; median of %d runs after one unmeasured run)\n", args.runs);
    bool allWell = true;
    for (uint64_t mb : args.sizesMB) {
        uint32_t lines = 0;
        const std::string log = MakeLog(mb * 1048576, 20261208 + mb, lines);
        if (!WriteHostFile(hostFile, log)) {
            std::fprintf(stderr, "bench_load_logs: cannot write %s\n", hostFile.c_str());
            return false;
        }
        const double peakPerByte = PeakPerByte(log.size());
        std::vector<double> millis;
        for (int run = 0; run <= args.runs; ++run) {
            logs::ResetLogState();
            const Clock::time_point start = Clock::now();
            logs::LoadLogs();
            const double elapsed = MillisSince(start);
            if (run > 0) millis.push_back(elapsed);
        }
        const size_t loaded = logs::ChannelLineCount(core::kLogNormal);
        if (loaded != lines) {
            std::fprintf(stderr, "bench_load_logs: %u lines written, %zu loaded\n", lines, loaded);
            allWell = false;
        }
        const double median = Median(millis);
        const double megabytes = static_cast<double>(log.size()) / 1048576.0;
        std::printf(
            "  %3llu MB  %11s bytes  %9s lines  median %8.1f ms  %7.1f MB/s  peak %5.2f bytes a byte   runs (ms): %s\n",
            static_cast<unsigned long long>(mb),
            plat::WideToUtf8(core::FormatThousands(static_cast<int64_t>(log.size()))).c_str(),
            plat::WideToUtf8(core::FormatThousands(lines)).c_str(), median, megabytes * 1000.0 / median, peakPerByte,
            RunsText(millis).c_str());
    }
    logs::ResetLogState();
    std::remove(hostFile.c_str());
    return allWell;
}

void BenchAddLog(const Args& args) {
    bench::Rng r{4711};
    std::vector<std::wstring> texts;
    texts.reserve(args.lines);
    for (uint32_t i = 0; i < args.lines; ++i)
        texts.push_back(L"Kopiere: " + plat::Utf8ToWide(RandomPath(r, "C:\\Users\\Jürgen\\")));
    std::printf("AddLog, %s lines \"Kopiere: ...\" (median of %d runs)\n",
                plat::WideToUtf8(core::FormatThousands(args.lines)).c_str(), args.runs);
    for (bool hook : {false, true}) {
        std::vector<double> millis;
        for (int run = 0; run < args.runs; ++run) {
            logs::ResetLogState();
            if (hook) logs::LS().ChannelChangedHook = &NoOpHook;
            const Clock::time_point start = Clock::now();
            for (const std::wstring& text : texts) logs::AddLog(text, core::kLogNormal);
            millis.push_back(MillisSince(start));
        }
        const double median = Median(millis);
        std::printf("  %-26s median %8.1f ms  %6.0f ns per line   runs (ms): %s\n",
                    hook ? "with a change hook:" : "without a change hook:", median,
                    median * 1e6 / static_cast<double>(args.lines), RunsText(millis).c_str());
    }
    logs::ResetLogState();
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    if (!ParseArgs(argc, argv, args)) {
        Usage();
        return 2;
    }
    std::string parent = args.dir.empty() ? "/tmp" : args.dir;
    std::string pattern = parent + "/tresoro-loadlogs-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        std::fprintf(stderr, "bench_load_logs: cannot make a folder in %s\n", parent.c_str());
        return 2;
    }
    const std::string hostDir = buffer.data();
    if (!plat::MapDrive(L"K:", hostDir)) {
        std::fprintf(stderr, "bench_load_logs: cannot map the folder to a drive letter\n");
        rmdir(hostDir.c_str());
        return 2;
    }
    core::S().paths.ConfigDir = L"K:\\";

    const bool loadsWhole = BenchLoad(args, hostDir);
    BenchAddLog(args);
    rmdir(hostDir.c_str());

    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident set of the whole program: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return loadsWhole ? 0 : 1;
}
