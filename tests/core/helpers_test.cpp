#include <gtest/gtest.h>

#include "core/text_helpers.h"

namespace {

TEST(CoreAddBackslash, AppendsOnlyWhenMissing) {
    EXPECT_EQ(core::AddBackslash(L""), L"\\");
    EXPECT_EQ(core::AddBackslash(L"C:\\"), L"C:\\");
    EXPECT_EQ(core::AddBackslash(L"C:\\Users"), L"C:\\Users\\");
    EXPECT_EQ(core::AddBackslash(L"\\\\server\\share"), L"\\\\server\\share\\");
    EXPECT_EQ(core::AddBackslash(L"C:/dir/"), L"C:/dir/\\");
}

TEST(CoreFormatThousands, GroupsDigitStringsFromTheRight) {
    EXPECT_EQ(core::FormatThousands(L""), L"");
    EXPECT_EQ(core::FormatThousands(L"7"), L"7");
    EXPECT_EQ(core::FormatThousands(L"999"), L"999");
    EXPECT_EQ(core::FormatThousands(L"1000"), L"1'000");
    EXPECT_EQ(core::FormatThousands(L"123456"), L"123'456");
    EXPECT_EQ(core::FormatThousands(L"1234567"), L"1'234'567");
    EXPECT_EQ(core::FormatThousands(L"-1234"), L"-1'234");
    EXPECT_EQ(core::FormatThousands(L"-123"), L"-123");
}

TEST(CoreFormatThousands, FormatsIntegersIncludingNegativeAndExtremes) {
    EXPECT_EQ(core::FormatThousands(int64_t{0}), L"0");
    EXPECT_EQ(core::FormatThousands(int64_t{999}), L"999");
    EXPECT_EQ(core::FormatThousands(int64_t{1000}), L"1'000");
    EXPECT_EQ(core::FormatThousands(int64_t{-1234}), L"-1'234");
    EXPECT_EQ(core::FormatThousands(int64_t{-999}), L"-999");
    EXPECT_EQ(core::FormatThousands(int64_t{4294967296}), L"4'294'967'296");
    EXPECT_EQ(core::FormatThousands(INT64_MIN), L"-9'223'372'036'854'775'808");
}

TEST(CoreParseLeadingInt, ReadsTheLeadingNumber) {
    EXPECT_EQ(core::ParseLeadingInt(L"-12x"), -12);
    EXPECT_EQ(core::ParseLeadingInt(L"+3"), 3);
    EXPECT_EQ(core::ParseLeadingInt(L"  7"), 7);
    EXPECT_EQ(core::ParseLeadingInt(L"\t 42 rest"), 42);
    EXPECT_EQ(core::ParseLeadingInt(L"12abc"), 12);
    EXPECT_EQ(core::ParseLeadingInt(L"007"), 7);
    EXPECT_EQ(core::ParseLeadingInt(L"-1"), -1);
    EXPECT_EQ(core::ParseLeadingInt(L"-65535"), -65535);
}

TEST(CoreParseLeadingInt, GivesZeroWithoutDigits) {
    EXPECT_EQ(core::ParseLeadingInt(L""), 0);
    EXPECT_EQ(core::ParseLeadingInt(L"abc"), 0);
    EXPECT_EQ(core::ParseLeadingInt(L"-"), 0);
    EXPECT_EQ(core::ParseLeadingInt(L"- 5"), 0);
    EXPECT_EQ(core::ParseLeadingInt(L"\n5"), 0);
}

TEST(CoreParseLeadingInt, SaturatesAtThe32BitLimits) {
    EXPECT_EQ(core::ParseLeadingInt(L"2147483647"), 2147483647);
    EXPECT_EQ(core::ParseLeadingInt(L"2147483648"), 2147483647);
    EXPECT_EQ(core::ParseLeadingInt(L"99999999999"), 2147483647);
    EXPECT_EQ(core::ParseLeadingInt(L"99999999999999999999999999"), 2147483647);
    EXPECT_EQ(core::ParseLeadingInt(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(core::ParseLeadingInt(L"-99999999999"), INT32_MIN);
    EXPECT_EQ(core::ParseLeadingInt64(L"9223372036854775807"), INT64_MAX);
    EXPECT_EQ(core::ParseLeadingInt64(L"99999999999999999999999999"), INT64_MAX);
    EXPECT_EQ(core::ParseLeadingInt64(L"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(core::ParseLeadingInt64(L"-99999999999999999999999999"), INT64_MIN);
}

TEST(CoreParseLeadingInt, TakesOnlyWhatItsSyntaxAllows) {
    // "/S-5" or "/S 5" on the command line is no delay; "$10" in a
    // configuration file is no hexadecimal number.
    EXPECT_EQ(core::ParseLeadingInt(L"-5", core::kNumberDigitsOnly), 0);
    EXPECT_EQ(core::ParseLeadingInt(L" 5", core::kNumberDigitsOnly), 0);
    EXPECT_EQ(core::ParseLeadingInt(L"15s", core::kNumberDigitsOnly), 15);
    EXPECT_EQ(core::ParseLeadingInt(L"$10"), 0);
    EXPECT_EQ(core::ParseLeadingInt(L"$10", core::kNumberRadix), 16);
    EXPECT_EQ(core::ParseLeadingInt(L"%11", core::kNumberRadix), 3);
    EXPECT_EQ(core::ParseLeadingInt(L"-$80000000", core::kNumberSign | core::kNumberRadix), INT32_MIN);
}

TEST(CoreParseLeadingFloat, ReadsSignDigitsAndFraction) {
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"1.25"), 1.25);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"-1"), -1.0);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L".5"), 0.5);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"-.5"), -0.5);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"+2.5x"), 2.5);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"  1.5"), 1.5);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"3."), 3.0);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"1,5"), 1.0);
    EXPECT_DOUBLE_EQ(core::ParseLeadingFloat(L"1.2.3"), 1.2);
}

TEST(CoreParseLeadingFloat, GivesZeroWithoutDigits) {
    EXPECT_EQ(core::ParseLeadingFloat(L""), 0.0);
    EXPECT_EQ(core::ParseLeadingFloat(L"abc"), 0.0);
    EXPECT_EQ(core::ParseLeadingFloat(L"."), 0.0);
    EXPECT_EQ(core::ParseLeadingFloat(L"-"), 0.0);
}

TEST(CoreFormatLogDate, PadsEveryFieldToTwoDigits) {
    // Local seconds are wall-clock seconds: no time zone enters the result.
    EXPECT_EQ(core::FormatLogDate(1796634303), L"07.12.26 09:05:03");
    EXPECT_EQ(core::FormatLogDate(1104635045), L"02.01.05 03:04:05");
    EXPECT_EQ(core::FormatLogDate(0), L"01.01.70 00:00:00");
}

}  // namespace
