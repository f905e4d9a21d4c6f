// The benchmark tree as a plan: every directory and file with its size,
// date and content seed, computed from one seed alone, so that the tree and
// each later round of changes can be rebuilt bit for bit on any machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// splitmix64: small, fast, and the same everywhere (unlike std::
// distributions, whose results differ between standard libraries).
struct Rng {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n).
    uint64_t Below(uint64_t n) { return n == 0 ? 0 : Next() % n; }
    // Uniform in [0, 1) with 53 bits.
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
};

struct PlanDir {
    std::string path;  // relative to the tree's root, "" for the root itself
    int depth = 0;
};

struct PlanFile {
    uint32_t dir = 0;  // index into Plan::dirs
    std::string name;
    uint64_t size = 0;
    int64_t mtime = 0;  // UTC seconds
    bool large = false;
};

struct PlanOptions {
    uint64_t seed = 20240601;
    uint32_t files = 100000;
    uint32_t dirs = 1000;
    int maxDepth = 4;
    uint64_t maxSmallSize = 65536;
    std::vector<uint64_t> largeSizes{64ull << 20, 128ull << 20, 256ull << 20};
};

struct Plan {
    uint64_t seed = 0;
    std::vector<PlanDir> dirs;
    std::vector<PlanFile> files;  // small ones first, the large ones last
};

// Dates stay well in the past (the run would hold back "future" sources),
// and every round of changes lands a day after the one before.
constexpr int64_t kPlanBaseTime = 1577836800;  // 2020-01-01 00:00:00 UTC
constexpr int64_t kDirTime = kPlanBaseTime - 10 * 86400;

Plan MakePlan(const PlanOptions& options);

// The relative path of a file ("dir/sub/name").
std::string FilePath(const Plan& plan, const PlanFile& file);

// Round `generation` (1, 2, ...) of changes: exactly one in a hundred of the
// small files, the large ones never (one 256 MB copy would swamp the round).
std::vector<uint32_t> TouchSelection(const Plan& plan, uint32_t generation);
// The date a file gets in that round: later than any date it had before.
int64_t TouchTime(uint32_t generation);

// Content stream of one file in one generation (0 = as first made).
struct ContentStream {
    uint64_t state = 0;
};
ContentStream ContentFor(const Plan& plan, uint32_t fileIndex, uint32_t generation);
void FillContent(ContentStream& stream, char* buffer, size_t size);

uint64_t TotalBytes(const Plan& plan);

}  // namespace bench
