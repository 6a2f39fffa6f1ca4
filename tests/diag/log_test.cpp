#include <gtest/gtest.h>

#include <cstdlib>

#include "diag/log.h"

namespace {

// What one call writes to standard error with SKYVANE_DEBUG=1, and to standard output.
std::pair<std::string, std::string> logged(const std::function<void()>& call) {
    setenv("SKYVANE_DEBUG", "1", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    call();
    std::string err = testing::internal::GetCapturedStderr();
    std::string out = testing::internal::GetCapturedStdout();
    unsetenv("SKYVANE_DEBUG");
    return {err, out};
}

}  // namespace

TEST(LogMessage, TagsAndEndsEveryLineOnce) {
    auto [err, out] = logged([] { LogMessage(Info, "no break"); });
    EXPECT_EQ(err, "<info> no break\n");
    EXPECT_EQ(out, "");

    // Silent by default, and with any other value.
    testing::internal::CaptureStderr();
    LogMessage(Error, "hidden");
    setenv("SKYVANE_DEBUG", "0", 1);
    LogMessage(Error, "hidden");
    unsetenv("SKYVANE_DEBUG");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_EQ(logged([] { LogMessage(Warn, "ends\n"); }).first, "<warn> ends\n");
    EXPECT_EQ(logged([] { LogMessage(Critical, "ends\r"); }).first, "<critical> ends\r");
    EXPECT_EQ(logged([] { LogMessage(7, "x"); }).first, "x\n");
    EXPECT_EQ(logged([] { LogMessage(-1, "x"); }).first, "x\n");
    EXPECT_EQ(logged([] { LogMessage(Debug, "%d-%s", 4, "a"); }).first, "<debug> 4-a\n");
}

TEST(LogMessage, CutsLongMessagesAndNeverFormatsTheirText) {
    std::string longText(600, 'y');
    std::string out = logged([&] { LogMessage(Error, "%s", longText.c_str()); }).first;
    EXPECT_EQ(out, "<error> " + std::string(510, 'y') + "\n");

    std::string exactly(510, 'z');
    exactly.back() = '\n';
    EXPECT_EQ(logged([&] { LogMessage(Fatal, "%s", exactly.c_str()); }).first,
              "<fatal> " + exactly);

    EXPECT_EQ(logged([] { LogMessage(Info, "[Load] %s", "C:\\100%s%n\\currdat.lst"); }).first,
              "<info> [Load] C:\\100%s%n\\currdat.lst\n");
}
