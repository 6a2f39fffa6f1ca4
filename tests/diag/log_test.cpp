#include <gtest/gtest.h>

#include "diag/log.h"

namespace {

// What one call writes to standard output and to standard error.
std::pair<std::string, std::string> logged(const std::function<void()>& call) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    call();
    std::string err = testing::internal::GetCapturedStderr();
    return {testing::internal::GetCapturedStdout(), err};
}

}  // namespace

TEST(LogMessage, TagsAndEndsEveryLineOnce) {
    auto [out, err] = logged([] { LogMessage(Info, "no break"); });
    EXPECT_EQ(out, "<info> no break\n");
    EXPECT_EQ(err, out);

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

    auto [percentOut, percentErr] =
        logged([] { LogMessage(Info, "[Load] %s", "C:\\100%s%n\\currdat.lst"); });
    EXPECT_EQ(percentOut, "<info> [Load] C:\\100%s%n\\currdat.lst\n");
    EXPECT_EQ(percentErr, percentOut);
}
