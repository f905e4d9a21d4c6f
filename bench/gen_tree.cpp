// bench_gen_tree: writes the benchmark tree, or one round of changes to it.
//
//   bench_gen_tree make  DIR [options]      build (or repair) the tree in DIR
//   bench_gen_tree touch DIR GEN [options]  round GEN (1..1500): 1 % of the small
//                                           files get new content and date (the
//                                           date printed, seconds since 1970)
//   bench_gen_tree info  [options]          counts and bytes, writes nothing
//   bench_gen_tree flat  DIR [--files N] [--seed N]
//                                           one directory of N empty files
//                                           (default 100,000), names of 50 to 60
//                                           characters
//
// options: --seed N  --files N  --dirs N  --large MB,MB,...|none
//
// "make" skips files that already have their planned size and date, so it
// also puts a touched tree back into its first state in seconds. It never
// deletes anything.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gen_plan.h"

namespace {

constexpr size_t kChunk = 1 << 20;  // a multiple of 8: content does not depend on it
// Rounds are a day apart from 2020 on: some four years of rounds stay in the
// past, where the run copies them rather than holding them back.
constexpr uint64_t kMaxGeneration = 1500;

struct Args {
    std::string command;
    std::string dir;
    uint32_t generation = 0;
    bench::PlanOptions options;
};

void Usage() {
    std::fprintf(stderr,
                 "usage: bench_gen_tree make DIR [options]\n"
                 "       bench_gen_tree touch DIR GEN [options]\n"
                 "       bench_gen_tree info [options]\n"
                 "       bench_gen_tree flat DIR [--files N] [--seed N]\n"
                 "options: --seed N --files N --dirs N --large MB,MB,...|none\n");
}

bool ParseNumber(const char* text, uint64_t& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

bool ParseLarge(const std::string& text, std::vector<uint64_t>& sizes) {
    sizes.clear();
    if (text == "none") return true;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        uint64_t mb = 0;
        if (!ParseNumber(text.substr(start, comma - start).c_str(), mb) || mb == 0 || mb > 4096) return false;
        sizes.push_back(mb << 20);
        start = comma + 1;
    }
    return !sizes.empty();
}

bool ParseArgs(int argc, char** argv, Args& args) {
    if (argc < 2) return false;
    args.command = argv[1];
    int at = 2;
    const bool needsDir = args.command == "make" || args.command == "touch" || args.command == "flat";
    if (!needsDir && args.command != "info") return false;
    if (needsDir) {
        if (at >= argc) return false;
        args.dir = argv[at++];
    }
    if (args.command == "touch") {
        uint64_t gen = 0;
        if (at >= argc || !ParseNumber(argv[at++], gen) || gen == 0 || gen > kMaxGeneration) return false;
        args.generation = static_cast<uint32_t>(gen);
    }
    for (; at + 1 < argc; at += 2) {
        const std::string key = argv[at];
        const char* value = argv[at + 1];
        uint64_t number = 0;
        if (key == "--large") {
            if (!ParseLarge(value, args.options.largeSizes)) return false;
            continue;
        }
        if (!ParseNumber(value, number)) return false;
        if (key == "--seed") {
            args.options.seed = number;
        } else if (key == "--files" && number > 0 && number <= 10000000) {
            args.options.files = static_cast<uint32_t>(number);
        } else if (key == "--dirs" && number > 0 && number <= 1000000) {
            args.options.dirs = static_cast<uint32_t>(number);
        } else {
            return false;
        }
    }
    return at == argc;
}

bool MakeDir(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
    std::fprintf(stderr, "bench_gen_tree: mkdir %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

bool SetTime(const std::string& path, int64_t mtime, int fd = -1) {
    struct timespec times[2];
    times[0].tv_sec = static_cast<time_t>(mtime);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    const int rc = fd >= 0 ? futimens(fd, times) : utimensat(AT_FDCWD, path.c_str(), times, 0);
    if (rc == 0) return true;
    std::fprintf(stderr, "bench_gen_tree: set time %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

bool WriteFile(const bench::Plan& plan, uint32_t index, uint32_t generation, int64_t mtime, const std::string& path,
               std::vector<char>& buffer) {
    const bench::PlanFile& file = plan.files[index];
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "bench_gen_tree: open %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bench::ContentStream stream = bench::ContentFor(plan, index, generation);
    uint64_t left = file.size;
    bool ok = true;
    while (ok && left > 0) {
        const size_t n = left < kChunk ? static_cast<size_t>(left) : kChunk;
        bench::FillContent(stream, buffer.data(), n);
        size_t done = 0;
        while (done < n) {
            const ssize_t put = write(fd, buffer.data() + done, n - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                std::fprintf(stderr, "bench_gen_tree: write %s: %s\n", path.c_str(), std::strerror(errno));
                ok = false;
                break;
            }
            done += static_cast<size_t>(put);
        }
        left -= n;
    }
    ok = ok && SetTime(path, mtime, fd);
    close(fd);
    return ok;
}

int Make(const Args& args, const bench::Plan& plan) {
    const std::string root = args.dir;
    if (!MakeDir(root)) return 1;
    for (const bench::PlanDir& dir : plan.dirs)
        if (!dir.path.empty() && !MakeDir(root + "/" + dir.path)) return 1;
    std::vector<char> buffer(kChunk);
    uint32_t written = 0;
    for (uint32_t i = 0; i < plan.files.size(); ++i) {
        const bench::PlanFile& file = plan.files[i];
        const std::string path = root + "/" + bench::FilePath(plan, file);
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) == file.size &&
            st.st_mtime == file.mtime)
            continue;
        if (!WriteFile(plan, i, 0, file.mtime, path, buffer)) return 1;
        ++written;
    }
    // Children come after their parents in the plan; dating from the last
    // back leaves every directory with its planned date.
    for (size_t i = plan.dirs.size(); i-- > 0;)
        if (!SetTime(root + "/" + plan.dirs[i].path, bench::kDirTime)) return 1;
    std::printf("made %s: %zu directories, %zu files (%u written), %llu bytes\n", root.c_str(), plan.dirs.size(),
                plan.files.size(), written, static_cast<unsigned long long>(bench::TotalBytes(plan)));
    return 0;
}

int Touch(const Args& args, const bench::Plan& plan) {
    std::vector<char> buffer(kChunk);
    const std::vector<uint32_t> chosen = bench::TouchSelection(plan, args.generation);
    uint64_t bytes = 0;
    for (uint32_t index : chosen) {
        const std::string path = args.dir + "/" + bench::FilePath(plan, plan.files[index]);
        if (!WriteFile(plan, index, args.generation, bench::TouchTime(args.generation), path, buffer)) return 1;
        bytes += plan.files[index].size;
    }
    std::printf("touched %zu files (%llu bytes), generation %u, dated %lld\n", chosen.size(),
                static_cast<unsigned long long>(bytes), args.generation,
                static_cast<long long>(bench::TouchTime(args.generation)));
    return 0;
}

// A name of 50 to 60 characters (not bytes): words with umlauts and spaces,
// then the running number, which keeps every name unique even when case is
// ignored, and an extension.
std::string FlatName(bench::Rng& rng, uint32_t index) {
    static const char* const kWords[] = {"Jahresübersicht", "Protokoll", "Straßenplanung", "Entwurf",  "Kopie von",
                                         "Zählerstände",    "Angebot",   "Rückmeldung",    "Verträge", "Besprechung"};
    const size_t target = 50 + rng.Below(11);
    char number[16];
    std::snprintf(number, sizeof number, " %06u.txt", index);
    std::string name;
    size_t chars = 0;
    const size_t tail = std::strlen(number);
    while (chars + tail < target) {
        const char* word = kWords[rng.Below(sizeof kWords / sizeof kWords[0])];
        for (const char* c = word; *c && chars + tail < target; ++c) {
            name += *c;
            if ((static_cast<unsigned char>(c[1]) & 0xC0) != 0x80) ++chars;  // a whole character is in
        }
        if (chars + tail < target) {
            name += ' ';
            ++chars;
        }
    }
    return name + number;
}

// Empty files: the case is about listing one huge directory, not copying.
int Flat(const Args& args) {
    if (!MakeDir(args.dir)) return 1;
    bench::Rng rng{args.options.seed};
    uint32_t written = 0;
    for (uint32_t i = 0; i < args.options.files; ++i) {
        const std::string path = args.dir + "/" + FlatName(rng, i);
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0 && st.st_mtime == bench::kDirTime)
            continue;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::fprintf(stderr, "bench_gen_tree: open %s: %s\n", path.c_str(), std::strerror(errno));
            return 1;
        }
        const bool ok = SetTime(path, bench::kDirTime, fd);
        close(fd);
        if (!ok) return 1;
        ++written;
    }
    if (!SetTime(args.dir, bench::kDirTime)) return 1;
    std::printf("made %s: one directory, %u empty files (%u written)\n", args.dir.c_str(), args.options.files, written);
    return 0;
}

int Info(const bench::Plan& plan) {
    size_t largest = 0, deepest = 0;
    std::vector<size_t> perDir(plan.dirs.size());
    for (const bench::PlanFile& file : plan.files) ++perDir[file.dir];
    for (size_t n : perDir) largest = n > largest ? n : largest;
    for (const bench::PlanDir& dir : plan.dirs)
        deepest = static_cast<size_t>(dir.depth) > deepest ? static_cast<size_t>(dir.depth) : deepest;
    std::printf("directories %zu (deepest level %zu), files %zu, bytes %llu, largest directory %zu files\n",
                plan.dirs.size(), deepest, plan.files.size(), static_cast<unsigned long long>(bench::TotalBytes(plan)),
                largest);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    if (!ParseArgs(argc, argv, args)) {
        Usage();
        return 2;
    }
    if (args.command == "flat") return Flat(args);
    const bench::Plan plan = bench::MakePlan(args.options);
    if (args.command == "make") return Make(args, plan);
    if (args.command == "touch") return Touch(args, plan);
    return Info(plan);
}
