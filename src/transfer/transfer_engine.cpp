#include "transfer/transfer_engine.h"

#include <utility>

#include "client/activation.h"
#include "core/unicode.h"

namespace quill::transfer {

TransferEngine::TransferEngine(platform::WindowSystem& windows, const TextSource& text, PacingTimer& timer,
                               Clock clock)
    : windows_(windows), source_(text), timer_(timer), clock_(std::move(clock)) {}

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
    keysOpen_ = false;
    probing_ = false;
    characterOut_ = false;
    afterRefusal_ = false;
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
    platform::WindowHandle front = windows_.foregroundWindow();
    if (!keysOpen_) {
        if (const auto held = keysHeldBack(front)) return *held;
        front = windows_.foregroundWindow();  // the client may have been brought back
    }
    const std::size_t index = static_cast<std::size_t>(TransferPos - 1);
    if (front != client_) {
        paused_ = true;
        return TickResult::Paused;
    }
    paused_ = false;
    if (characterOut_) {
        characterOut_ = false;
        // Keys sent after the character came through: it came before them, or it was dropped.
        if (windows_.lastCharacterArrival() != platform::WindowSystem::Arrival::Lost) return advance(length);
    }

    const char32_t character = text_[index];
    bool delivered = true;
    bool sent = true;
    if (character == U'\r') {
        delivered = windows_.sendCharacter(U'\n');
    } else if (character == U'\n') {
        // The LF of a CR LF pair: the CR already gave the Enter.
        sent = index == 0 || text_[index - 1] != U'\r';
        if (sent) delivered = windows_.sendCharacter(U'\n');
    } else {
        delivered = windows_.sendCharacter(character);
    }
    if (!delivered) {
        failedCharacter_ = character;
        timer_.setEnabled(false);
        return TickResult::SendFailed;
    }
    const auto arrival = sent ? windows_.lastCharacterArrival() : platform::WindowSystem::Arrival::Arrived;
    if (arrival == platform::WindowSystem::Arrival::Refused) {
        // It came through, but past the desktop: a probe goes first again.
        keysOpen_ = false;
        afterRefusal_ = true;
        return advance(length);
    }
    if (arrival != platform::WindowSystem::Arrival::Arrived) {
        // Held back, or dropped though keys came through before: the way is tried again first.
        keysOpen_ = false;
        characterOut_ = true;
        paused_ = true;
        return TickResult::Waiting;
    }
    return advance(length);
}

std::optional<TickResult> TransferEngine::keysHeldBack(platform::WindowHandle front) {
    using Arrival = platform::WindowSystem::Arrival;
    if (characterOut_ && windows_.lastCharacterArrival() == Arrival::Refused) {
        // The held character came through, past the desktop; a probe follows as after any hold-up.
        characterOut_ = false;
        afterRefusal_ = true;
        if (++TransferPos > static_cast<std::int64_t>(text_.size())) return stopHeld();
    }
    const auto now = clock_();
    if (!probing_) {
        if (front != client_) {
            paused_ = true;
            return TickResult::Paused;
        }
        probing_ = true;
        waitingSince_ = lastProbe_ = now;
        if (!windows_.sendProbe()) {
            failedCharacter_ = text_[static_cast<std::size_t>(TransferPos - 1)];
            timer_.setEnabled(false);
            return TickResult::SendFailed;
        }
    }
    Arrival probe = windows_.lastProbeArrival();
    if (probe == Arrival::Refused) {
        afterRefusal_ = true;
        lastProbe_ = {};  // another probe at once
    }
    if (probe != Arrival::Arrived && now - waitingSince_ >= kGiveUpAfter) return stopHeld();
    // One dropped as the desktop let keys through is followed at once; one held, now and then. It
    // types nothing, so it may go wherever the focus is while the desktop asks: the question (its keys
    // are held with ours) or, once answered, whatever window the desktop put in front.
    if (probe != Arrival::Arrived && (probe != Arrival::Pending || now - lastProbe_ >= kProbeAgainAfter)) {
        lastProbe_ = now;
        windows_.sendProbe();
        probe = windows_.lastProbeArrival();
    }
    if (probe == Arrival::Arrived) {
        probing_ = false;
        keysOpen_ = true;
        afterRefusal_ = false;
        // The desktop's question took the focus; once answered, the client gets it back.
        if (front != client_) client::ActivateWindow(windows_, client_);
        return std::nullopt;
    }
    // Held keys came through past the desktop (the user said no, or it took only some of them), and
    // the next is held again: the user is asked again. That question stays unanswered by us.
    if (afterRefusal_ && probe == Arrival::Pending) return stopHeld();
    paused_ = true;
    return TickResult::Waiting;
}

TickResult TransferEngine::stopHeld() {
    characterOut_ = false;
    probing_ = false;
    afterRefusal_ = false;
    paused_ = false;
    timer_.setEnabled(false);
    if (TransferPos > static_cast<std::int64_t>(text_.size())) return TickResult::Finished;
    failedCharacter_ = text_[static_cast<std::size_t>(TransferPos - 1)];
    return TickResult::KeysHeld;
}

TickResult TransferEngine::advance(std::int64_t length) {
    const bool last = TransferPos >= length;
    if (last) timer_.setEnabled(false);
    ++TransferPos;
    return last ? TickResult::Finished : TickResult::Sent;
}

}  // namespace quill::transfer
