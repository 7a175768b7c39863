// For the tick benchmarks: one client window, always in front, that swallows every key, and the
// client list that names it.
#pragma once

#include <cstdint>
#include <string>

#include "client/client_list.h"
#include "platform/window_system.h"
#include "transfer/transfer_engine.h"

namespace quill::testing {

class ClientAlwaysInFront : public platform::WindowSystem {
  public:
    static constexpr platform::WindowHandle kClient = 2;

    platform::WindowHandle desktopWindow() override { return 1; }
    platform::WindowHandle firstWindow(platform::WindowHandle) override { return kClient; }
    platform::WindowHandle nextWindow(platform::WindowHandle) override { return 0; }
    std::string windowTitle(platform::WindowHandle) override { return "Ultima Online - Bench"; }
    platform::ProcessId windowProcessId(platform::WindowHandle) override { return 1; }
    platform::WindowHandle findWindowByTitle(const std::string&) override { return kClient; }
    bool getWindowPlacement(platform::WindowHandle, platform::WindowPlacement& placement) override {
        placement.showCmd = platform::kShowNormal;
        return true;
    }
    bool setWindowPlacement(platform::WindowHandle, const platform::WindowPlacement&) override {
        return true;
    }
    bool setForegroundWindow(platform::WindowHandle) override { return true; }
    bool bringWindowToTop(platform::WindowHandle) override { return true; }
    platform::WindowHandle foregroundWindow() override { return kClient; }
    bool isWindow(platform::WindowHandle) override { return true; }
    bool sendCharacter(char32_t character) override {
        // Summed so that the compiler cannot drop the typing.
        checksum += character;
        return true;
    }
    std::uint64_t checksum = 0;
};

// The client list a scan of ClientAlwaysInFront gives.
inline client::ClientList benchClientList() {
    return {{ClientAlwaysInFront::kClient, "Ultima Online - Bench", 1}};
}

// A timer the benchmark drives by hand: it never ticks by itself.
class ManualTimer : public transfer::PacingTimer {
  public:
    bool enabled() const override { return on; }
    void setEnabled(bool value) override { on = value; }
    int interval() const override { return 200; }
    void setInterval(int) override {}
    bool on = false;
};

// One transfer into ClientAlwaysInFront from `text`, started; tick() restarts it at the end so a
// benchmark loop can tick for as long as it likes.
struct BenchTransfer {
    explicit BenchTransfer(const transfer::TextSource& text) : engine(desktop, text, timer) {
        engine.start(clients);
    }
    transfer::TickResult tick() {
        if (!timer.enabled()) engine.start(clients);
        return engine.tick();
    }
    ClientAlwaysInFront desktop;
    ManualTimer timer;
    client::ClientList clients = benchClientList();
    transfer::TransferEngine engine;
};

}  // namespace quill::testing
