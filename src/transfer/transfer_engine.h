// Types the editor's text into the client window, one character per timer tick.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "client/client_list.h"
#include "platform/window_system.h"

namespace quill::transfer {

// The editor as the engine sees it: its plain text (lines separated by CR LF) and a counter that
// changes whenever the content changes, so the text is read again only after an edit.
class TextSource {
  public:
    virtual ~TextSource() = default;
    virtual std::u16string plainText() const = 0;
    virtual std::uint64_t revision() const = 0;
};

// The pacing timer. Enabled means a transfer is running.
class PacingTimer {
  public:
    virtual ~PacingTimer() = default;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual int interval() const = 0;
    virtual void setInterval(int milliseconds) = 0;
};

enum class StartResult {
    Started,   // timer armed, first character at the next tick
    NoClient,  // nothing recorded, or the recorded client is gone; nothing was touched
};

enum class TickResult {
    Idle,          // the timer was not running
    Sent,          // one character went out (or the LF of a CR LF pair passed)
    Finished,      // the last character went out, or the text ended early; the timer is off
    Paused,        // the client is not in front: nothing sent, position kept
    ClientClosed,  // the client window is gone: the transfer was stopped, nothing sent
    SendFailed,    // the character could not be typed: the transfer was stopped at it
    Waiting,       // the desktop holds our keys back (it may be asking the user): position kept
    KeysHeld,      // the user refused (held keys came through past the desktop, then the next was held
                   // again), or nothing came through for kGiveUpAfter: stopped, nothing more sent
};

// A character counts as typed once its keys have come through. Before the first character, and
// again whenever keys are held back, a key that types nothing goes ahead: the characters follow
// once it has come through, and a character that was dropped meanwhile is typed again. While keys
// are held back the desktop's question may have the focus; it does not pause the wait, and the
// client gets the focus back once keys come through.
class TransferEngine {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The user needs a while to read and answer the desktop's question; a key that types nothing is
    // sent again now and then, since the first may have been dropped when the user allowed it.
    static constexpr std::chrono::seconds kProbeAgainAfter{2};
    static constexpr std::chrono::seconds kGiveUpAfter{60};

    TransferEngine(platform::WindowSystem& windows, const TextSource& text, PacingTimer& timer,
                   Clock clock = std::chrono::steady_clock::now);

    // Finds the first recorded client, activates it and (re)starts at the first character.
    StartResult start(const client::ClientList& clients);
    // Sends the character at TransferPos when the client is in front.
    TickResult tick();

    bool running() const { return timer_.enabled(); }
    // True while the last tick found the client not in front, or our keys held back.
    bool paused() const { return paused_; }
    platform::WindowHandle clientWindow() const { return client_; }
    // Length of the text in characters (code points) as of the last tick or start.
    std::size_t textLength() const { return text_.size(); }
    // The character the transfer stopped at after TickResult::SendFailed or KeysHeld.
    char32_t failedCharacter() const { return failedCharacter_; }

    // 1-based position of the next character to send; 0 before the first start.
    std::int64_t TransferPos = 0;

  private:
    void refreshText();
    // Nothing while keys come through; otherwise what the tick ends with. Sends the key that types
    // nothing when it is time to.
    std::optional<TickResult> keysHeldBack(platform::WindowHandle front);
    TickResult advance(std::int64_t length);
    // Stops the transfer at TransferPos: the user refused our keys, or they did not come through.
    TickResult stopHeld();

    platform::WindowSystem& windows_;
    const TextSource& source_;
    PacingTimer& timer_;
    platform::WindowHandle client_ = platform::kNoWindow;
    std::u32string text_;
    std::uint64_t textRevision_ = 0;
    bool haveText_ = false;
    bool paused_ = false;
    char32_t failedCharacter_ = 0;
    Clock clock_;
    bool keysOpen_ = false;      // keys have come through since the start or the last hold-up
    bool probing_ = false;       // a key that types nothing went ahead and is awaited
    bool characterOut_ = false;  // the character at TransferPos went out but has not come through
    bool afterRefusal_ = false;  // held keys came through past the desktop: the user may have refused
    std::chrono::steady_clock::time_point waitingSince_{};
    std::chrono::steady_clock::time_point lastProbe_{};
};

}  // namespace quill::transfer
