// Job identifiers: random positive 32-bit numbers, unique within Jobs.
#pragma once

#include <cstdint>
#include <unordered_map>

namespace core {

// A new Sid from 1 to 2147483647 that no job carries, or 0 after 10000
// vain draws (logged as an error and shown as a message).
int32_t NewSid();

// How many jobs carry each Sid. Callers that give many jobs new Sids in a
// row keep one of these current instead of letting every draw scan Jobs.
using SidCounts = std::unordered_map<int32_t, int>;
SidCounts CurrentSidCounts();
// NewSid against `taken` instead of Jobs.
int32_t NewSid(const SidCounts& taken);
// Moves one job's count from `oldSid` to `newSid`.
void MoveSidCount(SidCounts& counts, int32_t oldSid, int32_t newSid);

// Tests replace the random source (core/sid_testing.cpp); nullptr restores
// the real one. The program never sets it.
void SetSidSourceForTest(int32_t (*draw)());
extern int32_t (*g_sidSource)();

// Removes every Exclude and ArcIndivEntry whose Sid names no job.
void RemoveOrphans();

}  // namespace core
