// How far a transfer has come, for the task-bar button.
#pragma once

#include <cstddef>

#include "transfer/transfer_engine.h"

namespace quill::transfer {

struct TransferProgress {
    enum class State {
        None,    // no transfer running: the button shows no progress
        Normal,  // typing
        Paused,  // waiting until the client is in front again
    };
    State state = State::None;
    std::size_t sent = 0;   // characters typed so far
    std::size_t total = 0;  // characters in the text
    // sent / total, 0 to 1.
    double fraction() const {
        return total == 0 ? 0.0 : static_cast<double>(sent) / static_cast<double>(total);
    }
    friend bool operator==(const TransferProgress&, const TransferProgress&) = default;
};

TransferProgress progressOf(const TransferEngine& engine);

}  // namespace quill::transfer
