// Types the editor's text into the client window, one character per timer tick.
#pragma once

#include <cstdint>
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
};

class TransferEngine {
  public:
    TransferEngine(platform::WindowSystem& windows, const TextSource& text, PacingTimer& timer);

    // Finds the first recorded client, activates it and (re)starts at the first character.
    StartResult start(const client::ClientList& clients);
    // Sends the character at TransferPos when the client is in front.
    TickResult tick();

    bool running() const { return timer_.enabled(); }
    // True while the last tick found the client not in front.
    bool paused() const { return paused_; }
    platform::WindowHandle clientWindow() const { return client_; }
    // Length of the text in characters (code points) as of the last tick or start.
    std::size_t textLength() const { return text_.size(); }
    // The character the transfer stopped at after TickResult::SendFailed.
    char32_t failedCharacter() const { return failedCharacter_; }

    // 1-based position of the next character to send; 0 before the first start.
    std::int64_t TransferPos = 0;

  private:
    void refreshText();

    platform::WindowSystem& windows_;
    const TextSource& source_;
    PacingTimer& timer_;
    platform::WindowHandle client_ = platform::kNoWindow;
    std::u32string text_;
    std::uint64_t textRevision_ = 0;
    bool haveText_ = false;
    bool paused_ = false;
    char32_t failedCharacter_ = 0;
};

}  // namespace quill::transfer
