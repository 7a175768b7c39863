#include "transfer/transfer_engine.h"

#include "client/activation.h"
#include "core/unicode.h"

namespace quill::transfer {

TransferEngine::TransferEngine(platform::WindowSystem& windows, const TextSource& text, PacingTimer& timer)
    : windows_(windows), source_(text), timer_(timer) {}

StartResult TransferEngine::start(const client::ClientList& clients) {
    if (clients.empty()) return StartResult::NoClient;

    const client::ClientWindow& first = clients.front();
    platform::WindowHandle window = windows_.findWindowByTitle(first.title);
    if (window == platform::kNoWindow) {
        // The client may have changed its title (a character logged in): its recorded handle still
        // names it as long as the window exists and still looks like a client.
        if (first.handle != platform::kNoWindow && windows_.isWindow(first.handle) &&
            client::isClientTitle(windows_.windowTitle(first.handle))) {
            window = first.handle;
        }
    }
    if (window == platform::kNoWindow) return StartResult::NoClient;

    client::ActivateWindow(windows_, window);
    client_ = window;
    paused_ = false;
    haveText_ = false;
    refreshText();
    TransferPos = 1;
    timer_.setEnabled(true);
    return StartResult::Started;
}

void TransferEngine::refreshText() {
    const std::uint64_t revision = source_.revision();
    if (haveText_ && revision == textRevision_) return;
    text_ = core::utf16ToUtf32(source_.plainText());
    textRevision_ = revision;
    haveText_ = true;
}

TickResult TransferEngine::tick() {
    if (!timer_.enabled()) return TickResult::Idle;
    refreshText();

    const auto length = static_cast<std::int64_t>(text_.size());
    if (TransferPos < 1 || TransferPos > length) {
        // The text was cleared or shortened below the position: nothing left to send.
        timer_.setEnabled(false);
        paused_ = false;
        return TickResult::Finished;
    }
    if (!windows_.isWindow(client_)) {
        timer_.setEnabled(false);
        paused_ = false;
        return TickResult::ClientClosed;
    }
    if (windows_.foregroundWindow() != client_) {
        paused_ = true;
        return TickResult::Paused;
    }
    paused_ = false;

    const std::size_t index = static_cast<std::size_t>(TransferPos - 1);
    const char32_t character = text_[index];
    bool delivered = true;
    if (character == U'\r') {
        delivered = windows_.sendCharacter(U'\n');
    } else if (character == U'\n') {
        // The LF of a CR LF pair: the CR already gave the Enter.
        if (index == 0 || text_[index - 1] != U'\r') delivered = windows_.sendCharacter(U'\n');
    } else {
        delivered = windows_.sendCharacter(character);
    }
    if (!delivered) {
        failedCharacter_ = character;
        timer_.setEnabled(false);
        return TickResult::SendFailed;
    }

    const bool last = TransferPos >= length;
    if (last) timer_.setEnabled(false);
    ++TransferPos;
    return last ? TickResult::Finished : TickResult::Sent;
}

}  // namespace quill::transfer
