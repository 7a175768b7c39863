#include "transfer/progress.h"

#include <algorithm>

namespace quill::transfer {

TransferProgress progressOf(const TransferEngine& engine) {
    TransferProgress progress;
    if (!engine.running()) return progress;
    progress.total = engine.textLength();
    const std::int64_t sent = std::max<std::int64_t>(engine.TransferPos - 1, 0);
    progress.sent = std::min(static_cast<std::size_t>(sent), progress.total);
    progress.state = engine.paused() ? TransferProgress::State::Paused : TransferProgress::State::Normal;
    return progress;
}

}  // namespace quill::transfer
