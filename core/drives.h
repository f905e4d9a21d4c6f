// The drive list and disk-space measurement.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"

namespace core {

// The system's drive roots in the system's order, with type, label and sizes.
std::vector<Drive> ListDrives();

// Free (available to the caller) and total bytes of a volume; both 0 when
// it could not be measured.
struct Space {
    uint64_t freeBytes = 0;
    uint64_t totalBytes = 0;
};

// Measures the volume holding `path`.
Space DiskSpace(const std::wstring& path);

}  // namespace core
