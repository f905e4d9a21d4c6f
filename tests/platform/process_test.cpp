// The single-instance guard: a second creation of the same named mutex
// reports that it exists, another name does not.
#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "platform/process.h"

TEST(PlatformProcess, SecondCreationOfANamedMutexSeesTheFirst) {
    // A name of this test's own, so that a real instance running on the
    // machine cannot answer for it.
    const std::wstring name =
        L"TresoroTest-" + std::to_wstring(plat::Tick()) + L"-" + std::to_wstring(reinterpret_cast<uintptr_t>(&name));
    bool exists = true;
    ASSERT_TRUE(plat::CreateInstanceMutex(name, exists));
    EXPECT_FALSE(exists);
    ASSERT_TRUE(plat::CreateInstanceMutex(name, exists));
    EXPECT_TRUE(exists);
    ASSERT_TRUE(plat::CreateInstanceMutex(name + L"-other", exists));
    EXPECT_FALSE(exists);
}

// On Windows the process's error mode is read back (GetErrorMode): both
// SEM_FAILCRITICALERRORS (1) and SEM_NOOPENFILEERRORBOX (0x8000) are in it.
TEST(PlatformProcess, ErrorBoxesStayOffOnceSuppressed) {
    plat::SuppressErrorBoxes();
    EXPECT_TRUE(plat::ErrorBoxesSuppressed());
    plat::SuppressErrorBoxes();  // a second call keeps them off
    EXPECT_TRUE(plat::ErrorBoxesSuppressed());
}
