// Job identifiers: random positive 32-bit numbers, unique within Jobs.
#pragma once

#include <cstdint>

namespace core {

// A new Sid from 1 to 2147483647 that no job carries, or 0 after 10000
// vain draws (logged as an error and shown as a message).
int32_t NewSid();

// Tests replace the random source; nullptr restores the real one.
void SetSidSourceForTest(int32_t (*draw)());

// Removes every Exclude and ArcIndivEntry whose Sid names no job.
void RemoveOrphans();

}  // namespace core
