# Presses keys in KWin as a keyboard of the desktop would, through KWin's fake-input protocol
# (org_kde_kwin_fake_input), for answering the desktop's own windows (the portal's questions), which
# no X11 tool reaches. KWin offers the protocol only to programs it trusts, or to all when started
# with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1.
#   python3 kwin_input.py KEY...    KEY: an evdev key code (28 Enter, 1 Escape, 15 Tab, 57 Space)
# Uses WAYLAND_DISPLAY and XDG_RUNTIME_DIR. Exits 1 when KWin does not offer the protocol.
import os
import socket
import struct
import sys
import time


def message(sender, opcode, payload=b""):
    return struct.pack("<II", sender, (8 + len(payload)) << 16 | opcode) + payload


def string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
connection.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
pending = b""


def roundtrip(callback):
    """Sends wl_display.sync and returns the events that came before its answer."""
    global pending
    connection.sendall(message(1, 0, struct.pack("<I", callback)))
    events = []
    while True:
        while len(pending) >= 8:
            sender, word = struct.unpack_from("<II", pending)
            size = word >> 16
            if len(pending) < size:
                break
            events.append((sender, word & 0xFFFF, pending[8:size]))
            pending = pending[size:]
            if sender == callback:
                return events
            if sender == 1 and word & 0xFFFF == 0:
                sys.exit("kwin_input.py: Wayland error %r" % events[-1][2])
        pending += connection.recv(4096) or sys.exit("kwin_input.py: the compositor closed the connection")


connection.sendall(message(1, 1, struct.pack("<I", 2)))  # wl_display.get_registry -> 2
fake_input = None
for sender, opcode, payload in roundtrip(3):
    if sender == 2 and opcode == 0:  # wl_registry.global
        name, length = struct.unpack_from("<II", payload)
        interface = payload[8:8 + length - 1].decode()
        version = struct.unpack_from("<I", payload, 8 + length + (-length % 4))[0]
        if interface == "org_kde_kwin_fake_input":
            fake_input = (name, version)
if fake_input is None or fake_input[1] < 4:
    sys.exit("kwin_input.py: KWin offers no org_kde_kwin_fake_input with keys (version 4)")
connection.sendall(message(2, 0, struct.pack("<I", fake_input[0]) + string("org_kde_kwin_fake_input")
                           + struct.pack("<II", 4, 4)))  # wl_registry.bind -> 4
connection.sendall(message(4, 0, string("quillpost tests") + string("answers the desktop's questions")))
for key in sys.argv[1:]:
    for state in (1, 0):
        connection.sendall(message(4, 10, struct.pack("<II", int(key), state)))  # keyboard_key
        time.sleep(0.05)
roundtrip(5)
