#include "framework/file_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FilterCase {
    std::string filter;
    std::vector<std::string> entries;
};

class FileFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(FileFilterTest, BecomesOneChooserEntryPerPair) {
    EXPECT_EQ(ChooserFilterEntries(GetParam().filter), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileFilterTest,
    testing::Values(
        FilterCase{"Object Files (*.obj)|*.obj|Binary Files (*.bin)|*.bin|All Files (*.*)|*.*||",
                   {"Object Files (*.obj)", "Binary Files (*.bin)", "All Files (*.*)"}},
        FilterCase{"Binary Files (*.bin)|*.bin||", {"Binary Files (*.bin)"}},
        FilterCase{"Images|*.bin||", {"Images (*.bin)"}},
        FilterCase{"Hex|*.hex;*.ihx||", {"Hex (*.hex *.ihx)"}},
        FilterCase{"Hex (*.hex;*.ihx)|*.hex;*.ihx||", {"Hex (*.hex *.ihx)"}},
        FilterCase{"Hex (*.hex *.ihx)|*.hex;*.ihx||", {"Hex (*.hex *.ihx)"}},
        FilterCase{"Binary|*.bin|Other (*.obj)|*.bin||",
                   {"Binary (*.bin)", "Other (*.obj) (*.bin)"}},
        FilterCase{"Binary|*.bin", {"Binary (*.bin)"}},             // no terminator
        FilterCase{"Binary|*.bin|Dangling||", {"Binary (*.bin)"}},  // name without patterns
        FilterCase{"", {}}, FilterCase{"||", {}}));

}  // namespace
