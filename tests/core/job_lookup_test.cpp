// Finding a job by its Sid and inserting at a position of a list.
#include <gtest/gtest.h>

#include "core/state.h"

namespace {

void AddJobs(std::initializer_list<int32_t> sids) {
    for (int32_t sid : sids) {
        core::Job job;
        job.Sid = sid;
        job.Src = L"C:\\J" + std::to_wstring(sid) + L"\\";
        core::S().Jobs.Append(job);
    }
}

TEST(CoreJobLookup, FindsTheJobOfASidAndNothingForAnUnknownOne) {
    AddJobs({40, 10, 30});
    EXPECT_EQ(core::JobIndex(core::S().Jobs, 10), 1u);
    EXPECT_EQ(core::JobIndex(core::S().Jobs, 30), 2u);
    EXPECT_EQ(core::JobIndex(core::S().Jobs, 20), core::kNoJob);
    ASSERT_NE(core::FindJob(40), nullptr);
    EXPECT_EQ(core::FindJob(40)->Src, L"C:\\J40\\");
    EXPECT_EQ(core::FindJob(20), nullptr);
    EXPECT_EQ(core::JobIndex(core::S().Jobs, 10), 1u) << "a lookup leaves the list as it was";
}

// 0 is what the window holds when no job is current; an unrepaired job
// carrying 0 must not become current through it.
TEST(CoreJobLookup, SidZeroNamesNoJob) {
    AddJobs({0, 5});
    EXPECT_EQ(core::JobIndex(core::S().Jobs, 0), core::kNoJob);
    EXPECT_EQ(core::FindJob(0), nullptr);
    EXPECT_EQ(core::JobIndex(core::S().Jobs, 5), 1u);
}

TEST(CoreList, InsertGoesBeforeThePositionAndAppendsPastTheEnd) {
    core::List<int> list;
    list.Insert(0, 2);
    list.Insert(0, 1);
    list.Insert(2, 4);
    EXPECT_EQ(list.Insert(2, 3), 3);
    list.Insert(99, 5);
    EXPECT_EQ(list.items, (std::vector<int>{1, 2, 3, 4, 5}));
}

}  // namespace
