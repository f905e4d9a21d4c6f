// The job record and the other records of the process-wide lists.
#pragma once

#include <cstdint>
#include <string>

namespace core {

constexpr int8_t kFlagSelected = 1;
constexpr int8_t kFlagOptional = 2;

struct Job {
    int32_t Sid = 0;
    std::wstring Src;   // ends in "\"
    std::wstring Dest;  // ends in "\"
    int8_t Flags = 0;
    int32_t ArcInterval = 0;  // days, 0 = at any time
    int32_t ArcVersions = 0;  // 0 = no archive, -1 = no limit
    int32_t EntryCount = 0;
    int32_t BupInterval = 0;  // days, 0 = every run
    int64_t LastBup = 0;      // local seconds since 1970, 0 = never; 64 bits to pass 2038
};

struct Exclude {
    int32_t Sid = 0;
    std::wstring Path;  // upper case
};

struct ArcIndivEntry {
    int32_t Sid = 0;
    std::wstring Path;
    int32_t Interval = 0;
    int32_t Versions = 0;
    int8_t Recursive = 0;
};

struct WinFolder {
    std::wstring Name;
    std::wstring Path;  // ends in "\"
};

struct Drive {
    std::wstring Root;
    int32_t Type = 0;
    std::wstring Label;
    uint64_t TotalBytes = 0;
    uint64_t FreeBytes = 0;
};

}  // namespace core
