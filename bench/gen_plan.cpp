// The plan of the benchmark tree. Our own generator decides everything
// here; besides exact double arithmetic only exp/log of the size draw come
// from the library, so `info`'s byte total tells whether a machine built
// the tree measured in docs/PERFORMANCE.md.
#include "gen_plan.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace bench {

namespace {
uint64_t PlanMix(uint64_t a, uint64_t b) {
    Rng rng{a ^ (b * 0xD1B54A32D192ED03ull)};
    return rng.Next();
}

// Names as a German office share has them: words, spaces, umlauts, mixed
// case and extensions. The running number keeps every name unique even when
// case is ignored.
const char* const kDirWords[] = {"Projekte", "Fotos",    "Rechnungen", "Übersicht", "Verträge",
                                 "src",      "Größen",   "Archiv alt", "Musik",     "Kunden",
                                 "Berichte", "Vorlagen", "daten",      "Steuer",    "Reisen",
                                 "Büro",     "Entwürfe", "Scans",      "Backup",    "Präsentationen"};
const char* const kFileWords[] = {"Bericht", "img",  "Rechnung",  "notiz",     "Protokoll", "main",
                                  "Angebot", "DSC",  "Übersicht", "Brief",     "tabelle",   "Liste",
                                  "Straße",  "scan", "Entwurf",   "Kopie von", "README",    "Zählung"};
const char* const kExtensions[] = {".txt", ".JPG", ".docx",   ".pdf", ".xlsx", ".cpp",
                                   ".h",   "",     ".tar.gz", ".png", ".Log",  ".csv"};

template <typename T, size_t N>
constexpr size_t PlanCount(const T (&)[N]) {
    return N;
}

std::string PlanNumber(uint64_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

// Skewed small: a tenth of a kilobyte is as likely as tens of kilobytes
// (log-uniform), plus empty files; the mean lands near 6 KB.
uint64_t PlanSmallSize(Rng& rng, uint64_t maxSize) {
    if (rng.Below(50) == 0) return 0;
    const double size = std::exp(rng.Unit() * std::log(static_cast<double>(maxSize))) - 1.0;
    const uint64_t whole = static_cast<uint64_t>(size);
    return whole > maxSize ? maxSize : whole;
}
}  // namespace

Plan MakePlan(const PlanOptions& options) {
    Plan plan;
    plan.seed = options.seed;
    Rng rng{options.seed};

    // A random tree: each directory hangs under an earlier one that is not
    // yet at the depth limit, so most end two to four levels down.
    plan.dirs.push_back(PlanDir{"", 0});
    std::vector<uint32_t> open{0};
    for (uint32_t i = 1; i < options.dirs; ++i) {
        const uint32_t parent = open[rng.Below(open.size())];
        PlanDir dir;
        dir.depth = plan.dirs[parent].depth + 1;
        const std::string name = std::string(kDirWords[rng.Below(PlanCount(kDirWords))]) + " " + PlanNumber(i, 4);
        dir.path = plan.dirs[parent].path.empty() ? name : plan.dirs[parent].path + "/" + name;
        plan.dirs.push_back(dir);
        if (dir.depth < options.maxDepth) open.push_back(i);
    }

    // u^2 puts a few thousand files into the first directories and some
    // dozens into the last: big and small directories side by side.
    const uint32_t dirCount = static_cast<uint32_t>(plan.dirs.size());
    plan.files.reserve(options.files + options.largeSizes.size());
    for (uint32_t k = 0; k < options.files; ++k) {
        PlanFile file;
        const double u = rng.Unit();
        file.dir = static_cast<uint32_t>(u * u * dirCount);
        if (file.dir >= dirCount) file.dir = dirCount - 1;
        file.name = std::string(kFileWords[rng.Below(PlanCount(kFileWords))]) + (rng.Below(4) == 0 ? " " : "_") +
                    PlanNumber(k, 6) + kExtensions[rng.Below(PlanCount(kExtensions))];
        file.size = PlanSmallSize(rng, options.maxSmallSize);
        // Up to two years before the tree's date, to the second.
        file.mtime = kDirTime - static_cast<int64_t>(rng.Below(2 * 365 * 86400));
        plan.files.push_back(file);
    }
    for (size_t i = 0; i < options.largeSizes.size(); ++i) {
        PlanFile file;
        file.dir = static_cast<uint32_t>(rng.Below(dirCount));
        file.name = "Videoaufnahme " + PlanNumber(i + 1, 2) + ".mp4";
        file.size = options.largeSizes[i];
        file.mtime = kDirTime - static_cast<int64_t>(rng.Below(365 * 86400));
        file.large = true;
        plan.files.push_back(file);
    }
    return plan;
}

std::string FilePath(const Plan& plan, const PlanFile& file) {
    const std::string& dir = plan.dirs[file.dir].path;
    return dir.empty() ? file.name : dir + "/" + file.name;
}

std::vector<uint32_t> TouchSelection(const Plan& plan, uint32_t generation) {
    std::vector<uint32_t> small;
    for (uint32_t i = 0; i < plan.files.size(); ++i)
        if (!plan.files[i].large) small.push_back(i);
    // A partial Fisher-Yates shuffle: exactly the first n are drawn.
    const size_t n = small.size() / 100;
    Rng rng{PlanMix(plan.seed, 0x7A11C4ull + generation)};
    for (size_t i = 0; i < n; ++i) {
        const size_t j = i + static_cast<size_t>(rng.Below(small.size() - i));
        std::swap(small[i], small[j]);
    }
    small.resize(n);
    return small;
}

int64_t TouchTime(uint32_t generation) { return kPlanBaseTime + static_cast<int64_t>(generation) * 86400; }

ContentStream ContentFor(const Plan& plan, uint32_t fileIndex, uint32_t generation) {
    return ContentStream{PlanMix(PlanMix(plan.seed, fileIndex), generation)};
}

void FillContent(ContentStream& stream, char* buffer, size_t size) {
    Rng rng{stream.state};
    size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        const uint64_t word = rng.Next();
        std::memcpy(buffer + at, &word, 8);
    }
    if (at < size) {
        const uint64_t word = rng.Next();
        std::memcpy(buffer + at, &word, size - at);
    }
    stream.state = rng.state;
}

uint64_t TotalBytes(const Plan& plan) {
    uint64_t total = 0;
    for (const PlanFile& file : plan.files) total += file.size;
    return total;
}

}  // namespace bench
