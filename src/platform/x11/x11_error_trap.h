// Keeps X errors of our own requests from ending the program.
#pragma once

#include <X11/Xlib.h>

namespace quill::platform::x11 {

// Xlib has one error handler per process, and its default one ends the program. While a trap lives,
// errors of our connection are recorded here instead; errors of any other connection go to the
// handler that was installed before. Traps nest; the innermost one of a display records.
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits until the server has answered every request made so far, then reports whether any of
    // them failed since the trap was set or since the last clear().
    bool failed();
    // Forgets the errors seen so far.
    void clear() { errorCode_ = 0; }
    int errorCode() const { return errorCode_; }

  private:
    static int handle(Display* display, XErrorEvent* event);

    Display* display_;
    ErrorTrap* outer_;
    int (*previousHandler_)(Display*, XErrorEvent*);
    int errorCode_ = 0;
};

}  // namespace quill::platform::x11
