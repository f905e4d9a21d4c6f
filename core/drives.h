// The drive list and disk-space measurement.
#pragma once

#include <string>

namespace core {

// Refills Drives from the system's drive roots; the list ends positioned
// before its first element.
void ListDrives();

// Measures free (available to the caller) and total bytes of the volume
// holding `path` into State::LastFreeBytes / LastTotalBytes; both 0 on failure.
bool DiskSpace(const std::wstring& path);

}  // namespace core
