# Sends keys to one X window as events of its own (XSendEvent), never through XTest: with a libei
# XWayland every program that uses XTest has the desktop ask the user, and xdotool uses XTest for the
# window that has the focus.
#   python3 send_keys.py WINDOW KEY...    KEY: a keysym name with modifiers, e.g. Tab, ctrl+v, alt+t
import ctypes
import sys

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.restype = ctypes.c_ubyte
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]


class KeyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("root", ctypes.c_ulong),
                ("subwindow", ctypes.c_ulong), ("time", ctypes.c_ulong), ("x", ctypes.c_int),
                ("y", ctypes.c_int), ("x_root", ctypes.c_int), ("y_root", ctypes.c_int),
                ("state", ctypes.c_uint), ("keycode", ctypes.c_uint), ("same_screen", ctypes.c_int),
                ("pad", ctypes.c_long * 16)]


MODIFIERS = {"shift": 1, "ctrl": 4, "alt": 8}
display = x11.XOpenDisplay(None) or sys.exit("no X display")
window = int(sys.argv[1], 0)
for key in sys.argv[2:]:
    *modifiers, name = key.split("+")
    keycode = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
    if keycode == 0:
        sys.exit(f"no key for {name}")
    state = sum(MODIFIERS[m] for m in modifiers)
    for kind, mask in ((2, 1), (3, 2)):  # KeyPress (KeyPressMask), KeyRelease (KeyReleaseMask)
        event = KeyEvent(type=kind, display=display, window=window, root=x11.XDefaultRootWindow(display),
                         x=1, y=1, x_root=1, y_root=1, state=state, keycode=keycode, same_screen=1)
        x11.XSendEvent(display, window, 1, mask, ctypes.byref(event))
    x11.XFlush(display)
