// The real port opener on a machine without a parallel port: no port, no crash, even without a
// reason buffer. The reasons themselves: port_choice_test.cpp.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/port_io.h"

namespace {

TEST(OpenParallelPort, WithoutAReasonBufferStillReturnsNothing) {
    if (std::filesystem::exists("/dev/parport0")) {
        GTEST_SKIP() << "this machine has a parallel port";
    }
    std::string why;
    const bool opensWithReason = OpenParallelPort(&why) != nullptr;
    EXPECT_EQ(OpenParallelPort(nullptr) != nullptr, opensWithReason);
}

}  // namespace
