// Opening the port at the first device action, and what the user sees when it can't be opened.

#include "device/port_access.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_main_window.h"
#include "framework/message_box_types.h"
#include "operations/device_gate.h"
#include "recording_port.h"

namespace {

// A port that reports its own release.
class TrackedPort final : public PortIo {
public:
    explicit TrackedPort(bool& released) : released_(released) {}
    ~TrackedPort() override { released_ = true; }
    void WriteData(std::uint8_t) override {}
    std::uint8_t ReadStatus() override { return 0; }

private:
    bool& released_;
};

class PortAccess : public ::testing::Test {
protected:
    void TearDown() override {
        ClosePort();
        SetPortOpener([](std::string*) { return std::unique_ptr<PortIo>(); });
    }

    void InstallFailingOpener() {
        SetPortOpener([this](std::string* why) {
            ++openerCalls;
            if (why != nullptr) {
                *why = "no cable here";
            }
            return std::unique_ptr<PortIo>();
        });
    }

    void InstallWorkingOpener() {
        SetPortOpener([this](std::string*) {
            ++openerCalls;
            auto owned = std::make_unique<RecordingPort>();
            opened = owned.get();
            return std::unique_ptr<PortIo>(std::move(owned));
        });
    }

    FakeMainWindow window;
    int openerCalls = 0;
    PortIo* opened = nullptr;
};

TEST_F(PortAccess, MissingPortShowsOnlyTheMessageBox) {
    InstallFailingOpener();
    const auto textsBefore = window.texts;
    EXPECT_FALSE(EnsurePortOpen(window));
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "COULD NOT OPEN PARALLEL PORT");
    EXPECT_EQ(window.boxes[0].caption, "ERROR");
    EXPECT_EQ(window.boxes[0].type, MB_OK);
    EXPECT_EQ(window.events, std::vector<std::string>{"box COULD NOT OPEN PARALLEL PORT"});
    EXPECT_EQ(window.texts, textsBefore);
    EXPECT_EQ(CurrentPort(), nullptr);
    EXPECT_EQ(openerCalls, 1);
}

TEST_F(PortAccess, MissingPortIsTriedAgainAtTheNextAction) {
    InstallFailingOpener();
    EXPECT_FALSE(EnsurePortOpen(window));
    EXPECT_FALSE(EnsurePortOpen(window));
    EXPECT_EQ(openerCalls, 2);
    EXPECT_EQ(window.boxes.size(), 2u);
}

TEST_F(PortAccess, WithoutAWindowTheReasonIsPassedBack) {
    InstallFailingOpener();
    std::string why;
    EXPECT_FALSE(EnsurePortOpen(&why));
    EXPECT_EQ(why, "no cable here");
    EXPECT_FALSE(EnsurePortOpen());
    EXPECT_EQ(openerCalls, 2);
}

TEST_F(PortAccess, WorkingOpenerIsCalledOnceAndThePortKept) {
    InstallWorkingOpener();
    EXPECT_TRUE(EnsurePortOpen(window));
    EXPECT_TRUE(EnsurePortOpen(window));
    EXPECT_TRUE(EnsurePortOpen());
    EXPECT_EQ(openerCalls, 1);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(CurrentPort(), opened);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(window.events.empty());
}

TEST_F(PortAccess, ClosingOrReplacingTheOpenerReleasesThePort) {
    bool firstReleased = false;
    SetPortOpener([&](std::string*) { return std::make_unique<TrackedPort>(firstReleased); });
    ASSERT_TRUE(EnsurePortOpen());
    EXPECT_FALSE(firstReleased);
    ClosePort();
    EXPECT_TRUE(firstReleased);
    EXPECT_EQ(CurrentPort(), nullptr);

    bool secondReleased = false;
    SetPortOpener([&](std::string*) { return std::make_unique<TrackedPort>(secondReleased); });
    ASSERT_TRUE(EnsurePortOpen());
    InstallWorkingOpener();
    EXPECT_TRUE(secondReleased);
    EXPECT_EQ(CurrentPort(), nullptr) << "nothing is opened before the next action";
    EXPECT_EQ(openerCalls, 0);
}

}  // namespace
