// The real port opener on a machine without a parallel port: a reason, no port, no crash.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/port_io.h"

namespace {

TEST(OpenParallelPort, WithoutAPortReturnsNothingAndSaysWhy) {
    if (std::filesystem::exists("/dev/parport0")) {
        GTEST_SKIP() << "this machine has a parallel port";
    }
    std::string why;
    const auto port = OpenParallelPort(&why);
    if (port) {
        GTEST_SKIP() << "direct port I/O is allowed here";
    }
    EXPECT_FALSE(why.empty());
#if defined(__linux__)
    EXPECT_NE(why.find("/dev/parport0"), std::string::npos) << why;
#endif
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
    EXPECT_NE(why.find("ioperm"), std::string::npos) << why;
#endif
}

TEST(OpenParallelPort, WithoutAReasonBufferStillReturnsNothing) {
    if (std::filesystem::exists("/dev/parport0")) {
        GTEST_SKIP() << "this machine has a parallel port";
    }
    std::string why;
    const bool opensWithReason = OpenParallelPort(&why) != nullptr;
    EXPECT_EQ(OpenParallelPort(nullptr) != nullptr, opensWithReason);
}

}  // namespace
