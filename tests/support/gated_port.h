#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/port_io.h"

// Passes every access on to another port, but holds the calling thread at each access while the
// gate is closed: a test can freeze a worker mid-operation and act meanwhile.
class GatedPort final : public PortIo {
public:
    struct Gate {
        void Close() {
            std::lock_guard lock(mutex);
            open = false;
        }
        void Open() {
            {
                std::lock_guard lock(mutex);
                open = true;
            }
            changed.notify_all();
        }
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

        std::mutex mutex;
        std::condition_variable changed;
        bool open = true;
        int waiting = 0;
    };

    GatedPort(std::unique_ptr<PortIo> inner, std::shared_ptr<Gate> gate)
        : inner_(std::move(inner)), gate_(std::move(gate)) {}

    void WriteData(std::uint8_t value) override {
        gate_->Pass();
        inner_->WriteData(value);
    }
    std::uint8_t ReadStatus() override {
        gate_->Pass();
        return inner_->ReadStatus();
    }

private:
    std::unique_ptr<PortIo> inner_;
    std::shared_ptr<Gate> gate_;
};
