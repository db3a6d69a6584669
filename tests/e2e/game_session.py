#!/usr/bin/python3
"""Plays a short session of the game under Xvfb and checks what it shows.

Usage: game_session.py <tovlen-bounce executable> <data directory>

Starts a private X server, runs the game with the data directory as its
working directory, finds its window, presses space, return, space and keypad 6 with
real key events, checks screenshots (client size, the clear colour above the
backdrop, a changing scene in flight), then asks the window to close as a
window manager does and expects the game to exit with 0 within two seconds.
Every wait has a timeout; the X server and the game are always stopped.
"""

import io
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from PIL import Image
from Xlib import X, XK, display as xdisplay, protocol
from Xlib.ext import xtest

CLEAR_COLOUR = (0x00, 0x40, 0x40)
WINDOW_NAME = "tovlen bounce"


class Failure(Exception):
    pass


def free_display_number():
    for number in range(90, 200):
        if not os.path.exists("/tmp/.X%d-lock" % number) and not os.path.exists("/tmp/.X11-unix/X%d" % number):
            return number
    raise Failure("no free X display number")


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    raise Failure("timed out waiting for " + what)


def run(command, env, timeout=10):
    return subprocess.run(command, env=env, capture_output=True, text=True, timeout=timeout)


def find_window(env):
    def search():
        found = run(["xdotool", "search", "--onlyvisible", "--name", WINDOW_NAME], env)
        ids = found.stdout.split()
        return int(ids[0]) if found.returncode == 0 and ids else None

    return wait_for(search, 15, "the game window")


def screenshot(window, env):
    for attempt in range(3):
        try:
            shot = subprocess.run(["import", "-window", str(window), "png:-"], env=env, capture_output=True,
                                  timeout=10)
        except subprocess.TimeoutExpired:
            continue
        if shot.returncode == 0:
            return Image.open(io.BytesIO(shot.stdout)).convert("RGB")
    raise Failure("no screenshot of the game window")


def press(key, env):
    # Held across several 30 ms frame steps: a press and release that both
    # fall between two samples would not be seen.
    run(["xdotool", "keydown", key], env)
    time.sleep(0.15)
    run(["xdotool", "keyup", key], env)
    time.sleep(0.15)


class RawKeys:
    """Key events by keycode through XTEST. xdotool, asked for a keypad
    keysym, adjusts the lock modifiers to produce it and so turns Num Lock
    off again; the keypad keys steer only with Num Lock on."""

    def __init__(self, display_name):
        self.conn = xdisplay.Display(display_name)

    def close(self):
        self.conn.close()

    def send(self, keysym_name, down):
        keycode = self.conn.keysym_to_keycode(XK.string_to_keysym(keysym_name))
        if not keycode:
            raise Failure("no keycode for " + keysym_name)
        xtest.fake_input(self.conn, X.KeyPress if down else X.KeyRelease, keycode)
        self.conn.sync()

    def num_lock_on(self):
        return bool(self.conn.screen().root.query_pointer().mask & X.Mod2Mask)

    def ensure_num_lock(self):
        if not self.num_lock_on():
            self.send("Num_Lock", True)
            self.send("Num_Lock", False)
            time.sleep(0.1)
        if not self.num_lock_on():
            raise Failure("cannot turn Num Lock on")


def request_close(window, display_name):
    conn = xdisplay.Display(display_name)
    try:
        target = conn.create_resource_object("window", window)
        protocols = conn.intern_atom("WM_PROTOCOLS")
        delete = conn.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=target, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        target.send_event(event, event_mask=X.NoEventMask)
        conn.flush()
    finally:
        conn.close()


def session(executable, data_dir, env, display_name):
    game = subprocess.Popen([executable], cwd=data_dir, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        window = find_window(env)
        run(["xdotool", "windowfocus", "--sync", str(window)], env)

        first = screenshot(window, env)
        if first.size != (640, 480):
            raise Failure("client area is %dx%d, not 640x480" % first.size)

        press("space", env)  # title -> ready

        def ready_shown():
            shot = screenshot(window, env)
            return shot if shot.getpixel((320, 10)) == CLEAR_COLOUR else None

        ready = wait_for(ready_shown, 5, "the clear colour above the backdrop")
        if ready.getpixel((320, 470)) != CLEAR_COLOUR and ready.getpixel((100, 470)) != CLEAR_COLOUR:
            raise Failure("no clear colour below the backdrop")

        press("Return", env)  # launch
        press("space", env)  # first boost
        # In flight the body moves and, with keypad 6 held, the aim arrow
        # turns toward straight up.
        keys = RawKeys(display_name)
        try:
            keys.ensure_num_lock()
            a = screenshot(window, env)
            keys.send("KP_6", True)
            time.sleep(0.5)
            b = screenshot(window, env)
            keys.send("KP_6", False)
        finally:
            keys.close()
        if a.tobytes() == b.tobytes():
            raise Failure("the scene did not change between two frames in flight")

        if game.poll() is not None:
            raise Failure("the game exited early with %d" % game.returncode)
        request_close(window, display_name)
        try:
            code = game.wait(timeout=2)
        except subprocess.TimeoutExpired:
            raise Failure("the game did not exit within two seconds of the close request")
        if code != 0:
            raise Failure("the game exited with %d" % code)
    finally:
        if game.poll() is None:
            game.kill()
            game.wait(timeout=5)
        output = game.stdout.read().decode(errors="replace") if game.stdout else ""
        if output:
            sys.stderr.write("game output:\n" + output)


GAME_FILES = ("texture1.dds", "title.qmd", "bg.qmd")


def write_game_data(directory):
    """Pictures for the game when no data directory is given. The loader
    recognises images by content, so PNG bytes serve under the game's names."""
    atlas = Image.new("RGBA", (128, 128))
    for cell in range(16):
        colour = ((cell * 53) % 256, (cell * 97 + 60) % 256, (cell * 151 + 120) % 256, 255)
        x, y = cell % 4 * 32, cell // 4 * 32
        atlas.paste(colour, (x, y, x + 32, y + 32))
    atlas.save(os.path.join(directory, "texture1.dds"), format="PNG")
    Image.new("RGB", (64, 64), (200, 30, 120)).save(os.path.join(directory, "title.qmd"), format="PNG")
    Image.new("RGB", (64, 64), (90, 90, 90)).save(os.path.join(directory, "bg.qmd"), format="PNG")


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    executable = os.path.abspath(sys.argv[1])
    data_dir = sys.argv[2]
    scratch = None
    if not all(os.path.isfile(os.path.join(data_dir, name)) for name in GAME_FILES):
        scratch = tempfile.mkdtemp(prefix="tovlen-e2e-")
        write_game_data(scratch)
        data_dir = scratch

    number = free_display_number()
    display_name = ":%d" % number
    xvfb = subprocess.Popen(["Xvfb", display_name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    env = dict(os.environ)
    env["DISPLAY"] = display_name
    env["SDL_VIDEODRIVER"] = "x11"
    env["SDL_AUDIODRIVER"] = "dummy"
    try:
        wait_for(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number) or xvfb.poll() is not None, 10,
                 "Xvfb to start")
        if xvfb.poll() is not None:
            raise Failure("Xvfb exited with %d" % xvfb.returncode)
        session(executable, data_dir, env, display_name)
        print("e2e: ok")
        return 0
    except (Failure, subprocess.TimeoutExpired) as error:
        print("e2e: FAILED: %s" % error)
        return 1
    finally:
        if xvfb.poll() is None:
            os.killpg(xvfb.pid, signal.SIGTERM)
            try:
                xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(xvfb.pid, signal.SIGKILL)
                xvfb.wait(timeout=5)
        if scratch:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
