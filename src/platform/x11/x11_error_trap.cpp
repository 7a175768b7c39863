#include "platform/x11/x11_error_trap.h"

namespace quill::platform::x11 {

namespace {
// All X calls happen on the one user-interface thread; the thread_local only guards against a
// foreign thread that uses Xlib at the same time.
thread_local ErrorTrap* innermostTrap = nullptr;
}  // namespace

ErrorTrap::ErrorTrap(Display* display) : display_(display), outer_(innermostTrap) {
    // Errors of requests made before this point belong to whoever made them.
    XSync(display_, False);
    previousHandler_ = XSetErrorHandler(&ErrorTrap::handle);
    innermostTrap = this;
}

ErrorTrap::~ErrorTrap() {
    XSync(display_, False);
    innermostTrap = outer_;
    XSetErrorHandler(previousHandler_);
}

bool ErrorTrap::failed() {
    XSync(display_, False);
    return errorCode_ != 0;
}

int ErrorTrap::handle(Display* display, XErrorEvent* event) {
    for (ErrorTrap* trap = innermostTrap; trap != nullptr; trap = trap->outer_) {
        if (trap->display_ == display) {
            trap->errorCode_ = event->error_code;
            return 0;
        }
    }
    ErrorTrap* outermost = innermostTrap;
    while (outermost != nullptr && outermost->outer_ != nullptr) outermost = outermost->outer_;
    if (outermost != nullptr && outermost->previousHandler_ != nullptr) {
        return outermost->previousHandler_(display, event);
    }
    return 0;
}

}  // namespace quill::platform::x11
