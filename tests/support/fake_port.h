#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/port_io.h"
#include "virtual_counter.h"

// The one port of the tests. Alone it records every access, stamped with `clock`'s ticks when
// given one (Peek() does not advance it, so stamping changes no timing), and answers status reads
// from `statusSource`, else with 0. Around an `inner` port it only passes accesses on. With a
// `gate` it holds the calling thread at each access while the gate is closed, so a test can
// freeze a worker mid-operation and act meanwhile.
class FakePort final : public PortIo {
public:
    struct Gate {
        void Close() { Set(false); }
        void Open() { Set(true); }
        // True once a thread is held at the closed gate.
        bool HoldsSomeone() {
            std::lock_guard lock(mutex);
            return waiting > 0;
        }
        void Pass() {
            std::unique_lock lock(mutex);
            ++waiting;
            changed.wait(lock, [this] { return open; });
            --waiting;
        }
        void Set(bool isOpen) {
            {
                std::lock_guard lock(mutex);
                open = isOpen;
            }
            changed.notify_all();
        }

        std::mutex mutex;
        std::condition_variable changed;
        bool open = true;
        int waiting = 0;
    };
    static constexpr int kStatusRead = -1;  // in `accesses`, where a status read came
    struct Access {
        int value;  // the value written, or kStatusRead
        std::uint64_t ticks;
    };

    explicit FakePort(std::unique_ptr<PortIo> inner = nullptr, std::shared_ptr<Gate> gate = nullptr,
                      const VirtualCounter* clock = nullptr)
        : inner_(std::move(inner)), gate_(std::move(gate)), clock_(clock) {}

    void WriteData(std::uint8_t value) override {
        if (gate_) {
            gate_->Pass();
        }
        if (inner_) {
            return inner_->WriteData(value);
        }
        accesses.push_back({value, clock_ ? clock_->Peek() : 0});
    }
    std::uint8_t ReadStatus() override {
        if (gate_) {
            gate_->Pass();
        }
        if (inner_) {
            return inner_->ReadStatus();
        }
        ++statusReads;
        accesses.push_back({kStatusRead, clock_ ? clock_->Peek() : 0});
        return statusSource ? statusSource() : 0;
    }

    std::string Failure() const override { return failure; }

    std::vector<Access> accesses;
    std::function<std::uint8_t()> statusSource;
    std::string failure;  // what Failure() reports
    int statusReads = 0;

private:
    std::unique_ptr<PortIo> inner_;
    std::shared_ptr<Gate> gate_;
    const VirtualCounter* clock_;
};
