#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(FrequencyTest, ReadsHertzWithOptionalSuffixAndDecimals) {
    const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
        {"12M", 12'000'000},      {"11.0592M", 11'059'200},     {"24000k", 24'000'000},
        {"3000000", 3'000'000},   {"12G", std::nullopt},        {"M", std::nullopt},
        {"1.2.3M", std::nullopt}, {"12.0000001M", std::nullopt}};
    for (const auto& [text, hz] : cases) {
        EXPECT_EQ(ParseFrequencyHz(text), hz) << text;
    }
}

}  // namespace
