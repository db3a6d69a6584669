#!/usr/bin/python3
"""Plays short sessions of the game under Xvfb and checks what it shows.

Usage: game_session.py <tovlen-bounce executable> <data directory>

Windowed, on a 1024 x 768 screen: starts the game with the data directory as
its working directory, finds its window, checks the title picture, opens the
information box with keypad 0 (its statistics text must be drawn), dismisses
it with Return and plays on: space, return, space and keypad 6 with real key
events, checking the window's pictures (client size, the clear colour above
the backdrop, the backdrop and the body when ready, a changing scene in
flight). Then it opens the box again, asks the window to close as a window
manager does, and expects the game to stay until the box is dismissed and
then exit with 0.

Full screen (-f), on a 1280 x 720 screen: the whole screen must show the
title picture scaled to the screen's height, centred between black bars; a
close request ends the game with 0.

No display at all: the game must end at once with 0 and the device failure
text on standard error.

Every wait has a timeout; the X servers and the game are always stopped.
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops, ImageStat
from Xlib import X, XK, display as xdisplay, protocol
from Xlib.ext import xtest

CLEAR_COLOUR = (0x00, 0x40, 0x40)
WINDOW_NAME = "tovlen bounce"


class Failure(Exception):
    pass


def mean_colour(picture, box):
    """Mean (r, g, b) of a region of a picture."""
    return tuple(ImageStat.Stat(picture.convert("RGB").crop(box)).mean)


def mean_difference(a, b):
    """Mean absolute difference per channel of two pictures of one size."""
    return sum(ImageStat.Stat(ImageChops.difference(a.convert("RGB"), b.convert("RGB"))).mean) / 3


def close_colours(a, b, tolerance):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def title_difference(shot, data_dir):
    expected = Image.open(os.path.join(data_dir, "title.qmd")).convert("RGB").resize((640, 480), Image.BILINEAR)
    return mean_difference(shot, expected)


def check_title(shot, data_dir):
    """The title screen is the title picture stretched over the whole client area."""
    difference = title_difference(shot, data_dir)
    print("e2e: title differs by %.2f per channel" % difference)
    if difference > 8:
        raise Failure("the title screen differs from the title picture by %.1f per channel" % difference)


def check_ready(shot, data_dir):
    """The ready screen shows the backdrop between the bands and the body at its launch place."""
    backdrop = mean_colour(Image.open(os.path.join(data_dir, "bg.qmd")), (0, 0) + Image.open(
        os.path.join(data_dir, "bg.qmd")).size)
    shown = mean_colour(shot, (0, 120, 640, 400))
    if not close_colours(shown, backdrop, 48):
        raise Failure("the backdrop is not shown: mean colour %s, picture %s" % (shown, backdrop))
    atlas = Image.open(os.path.join(data_dir, "texture1.dds")).convert("RGBA")
    cell = atlas.width // 4
    # Cell 10 is the body; its middle is opaque.
    body = atlas.getpixel((2 * cell + cell // 2, 2 * cell + cell // 2))[:3]
    seen = mean_colour(shot, (61, 92, 70, 101))
    print("e2e: backdrop %s vs %s, body %s vs %s" % (shown, backdrop, seen, body))
    if not close_colours(seen, body, 48):
        raise Failure("the body is not shown near (65, 96): %s, expected about %s" % (seen, body))


def read_display_number(read_end, xvfb):
    text = b""
    deadline = time.monotonic() + 10
    try:
        while not text.endswith(b"\n"):
            if time.monotonic() > deadline or xvfb.poll() is not None:
                raise Failure("Xvfb did not start")
            ready, _, _ = select.select([read_end], [], [], 0.2)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise Failure("Xvfb did not report its display")
                text += chunk
    finally:
        os.close(read_end)
    return int(text)


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


def find_window(env, name=WINDOW_NAME, what="the game window", process=None):
    """The newest visible window of that name. With the program's process,
    fails at once if the program ends before showing one."""
    def search():
        found = run(["xdotool", "search", "--onlyvisible", "--name", name], env)
        ids = found.stdout.split()
        if found.returncode == 0 and ids:
            return int(ids[-1])
        if process is not None and process.poll() is not None:
            raise Failure("%s did not appear: the program ended with %d" % (what, process.returncode))
        return None

    return wait_for(search, 60, what)


def settled_window(env, name=WINDOW_NAME, what="the game window", process=None):
    """The window once its id has stopped changing: the video layer may
    replace the first window while it sets up rendering."""
    previous = find_window(env, name, what, process)
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        time.sleep(0.5)
        current = find_window(env, name, what, process)
        if current == previous:
            return current
        previous = current
    raise Failure(what + " kept changing")


def screenshot(window, display_name):
    # XGetImage straight from the server. ImageMagick's import grabs the
    # server and can deadlock with the game's GL set-up waiting on a reply.
    conn = xdisplay.Display(display_name)
    try:
        target = conn.create_resource_object("window", window)
        geometry = target.get_geometry()
        image = target.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF)
        if geometry.depth not in (24, 32):
            raise Failure("unexpected window depth %d" % geometry.depth)
        return Image.frombytes("RGB", (geometry.width, geometry.height), image.data, "raw", "BGRX")
    finally:
        conn.close()


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
        conn.sync()  # a round trip: the server has handled the request
    finally:
        conn.close()


def other_windows(env, game_window):
    """Visible windows with the game's name other than the game's own: the
    information box has the game's caption."""
    found = run(["xdotool", "search", "--onlyvisible", "--name", WINDOW_NAME], env)
    return [int(i) for i in found.stdout.split() if int(i) != game_window] if found.returncode == 0 else []


def text_lines(picture):
    """Bands of rows holding dark pixels on a light ground: lines of text."""
    grey = picture.convert("L")
    width, height = grey.size
    pixels = grey.load()
    bands, inside = 0, False
    for y in range(height):
        dark = sum(1 for x in range(width) if pixels[x, y] < 90)
        light = sum(1 for x in range(width) if pixels[x, y] > 200)
        row_has_text = 2 <= dark < width // 2 and light > width // 2
        if row_has_text and not inside:
            bands += 1
        inside = row_has_text
    return bands


def open_info_box(keys, game_window, env, display_name):
    """Keypad 0 with Num Lock on opens the box; returns its window."""
    keys.ensure_num_lock()
    keys.send("KP_0", True)
    time.sleep(0.15)
    keys.send("KP_0", False)
    boxes = wait_for(lambda: other_windows(env, game_window), 5, "the information box")
    box = boxes[-1]
    # Drawn once it is mapped; the statistics are three lines of text.
    shot = wait_for(lambda: (lambda p: p if text_lines(p) >= 3 else None)(screenshot(box, display_name)), 5,
                    "the statistics text in the information box")
    print("e2e: information box %dx%d with %d lines of text" % (shot.size[0], shot.size[1], text_lines(shot)))
    return box


def dismiss_info_box(keys, game_window, env):
    keys.send("Return", True)
    time.sleep(0.1)
    keys.send("Return", False)
    wait_for(lambda: not other_windows(env, game_window), 5, "the information box to close")


def windowed_session(executable, data_dir, env, display_name, log):
    # Output goes to a file: a full pipe nobody reads would stall the game.
    game = subprocess.Popen([executable], cwd=data_dir, env=env, stdout=log, stderr=subprocess.STDOUT)
    keys = RawKeys(display_name)
    try:
        window = settled_window(env, process=game)
        run(["xdotool", "windowfocus", "--sync", str(window)], env)

        # On a busy machine the window can be up before its first frame is
        # drawn: look again for a while before judging the title.
        first = screenshot(window, display_name)
        deadline = time.monotonic() + 20
        while first.size == (640, 480) and title_difference(first, data_dir) > 8 and time.monotonic() < deadline:
            time.sleep(0.2)
            first = screenshot(window, display_name)
        if first.size != (640, 480):
            raise Failure("client area is %dx%d, not 640x480" % first.size)
        check_title(first, data_dir)

        # The box, then the game goes on where it was (the keyboard is back).
        open_info_box(keys, window, env, display_name)
        dismiss_info_box(keys, window, env)
        if game.poll() is not None:
            raise Failure("the game exited with %d when the box was dismissed" % game.returncode)

        press("space", env)  # title -> ready

        def ready_shown():
            shot = screenshot(window, display_name)
            return shot if shot.getpixel((320, 10)) == CLEAR_COLOUR else None

        ready = wait_for(ready_shown, 5, "the clear colour above the backdrop")
        if ready.getpixel((320, 470)) != CLEAR_COLOUR and ready.getpixel((100, 470)) != CLEAR_COLOUR:
            raise Failure("no clear colour below the backdrop")
        check_ready(ready, data_dir)

        press("Return", env)  # launch
        press("space", env)  # first boost
        # In flight the body moves and, with keypad 6 held, the aim arrow
        # turns toward straight up.
        keys.ensure_num_lock()
        a = screenshot(window, display_name)
        keys.send("KP_6", True)
        time.sleep(0.5)
        b = screenshot(window, display_name)
        keys.send("KP_6", False)
        if a.tobytes() == b.tobytes():
            raise Failure("the scene did not change between two frames in flight")

        if game.poll() is not None:
            raise Failure("the game exited early with %d" % game.returncode)
        # A close request while the box is open ends the game once the box
        # is dismissed.
        open_info_box(keys, window, env, display_name)
        request_close(window, display_name)
        time.sleep(0.5)
        if game.poll() is not None:
            raise Failure("the game ended (%d) while its information box was open" % game.returncode)
        dismiss_info_box(keys, window, env)
        try:
            code = game.wait(timeout=2)
        except subprocess.TimeoutExpired:
            raise Failure("the game did not exit within two seconds of the box closing after a close request")
        if code != 0:
            raise Failure("the game exited with %d" % code)
    finally:
        keys.close()
        stop(game)


def full_screen_session(executable, data_dir, env, display_name, log):
    game = subprocess.Popen([executable, "-f"], cwd=data_dir, env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        window = settled_window(env, process=game)
        conn = xdisplay.Display(display_name)
        try:
            root = conn.screen().root.id
            width, height = conn.screen().width_in_pixels, conn.screen().height_in_pixels
        finally:
            conn.close()
        # The whole frame at the screen's height, its shape kept, centred.
        scaled = height * 640 // 480
        left = (width - scaled) // 2
        expected = Image.new("RGB", (width, height))
        title = Image.open(os.path.join(data_dir, "title.qmd")).convert("RGB")
        expected.paste(title.resize((scaled, height), Image.BILINEAR), (left, 0))

        def full_screen_shown():
            shot = screenshot(root, display_name)
            difference = mean_difference(shot, expected)
            return (shot, difference) if difference <= 10 else None

        try:
            shot, difference = wait_for(full_screen_shown, 10, "the title picture over the whole screen")
        except Failure:
            shot = screenshot(root, display_name)
            raise Failure("the screen differs from the title picture scaled to %dx%d at x=%d by %.1f per channel"
                          % (scaled, height, left, mean_difference(shot, expected)))
        print("e2e: full screen %dx%d differs by %.2f per channel" % (width, height, difference))
        bars = [mean_colour(shot, (0, 0, left, height)), mean_colour(shot, (left + scaled, 0, width, height))]
        if left > 0 and not all(close_colours(bar, (0, 0, 0), 2) for bar in bars):
            raise Failure("the bars beside the picture are not black: %s" % bars)

        request_close(window, display_name)
        try:
            code = game.wait(timeout=2)
        except subprocess.TimeoutExpired:
            raise Failure("the full-screen game did not exit within two seconds of the close request")
        if code != 0:
            raise Failure("the full-screen game exited with %d" % code)
    finally:
        stop(game)


DEVICE_FAILURE_TEXT = "Direct3D の初期化に失敗しました。"


def no_display_session(executable, data_dir, env):
    """As over a plain SSH login: no X, no Wayland, with and without a
    runtime folder. Standard error holds the failure text and nothing else
    (no complaint from a display library probing for a server)."""
    quiet = {k: v for k, v in env.items()
             if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_RUNTIME_DIR")}
    runtime = tempfile.mkdtemp(prefix="tovlen-e2e-run-")
    try:
        for extra in ({"XDG_RUNTIME_DIR": runtime}, {}):
            try:
                done = subprocess.run([executable], cwd=data_dir, env={**quiet, **extra}, capture_output=True,
                                      timeout=20)
            except subprocess.TimeoutExpired:
                raise Failure("without a display the game kept running")
            errors = done.stderr.decode(errors="replace")
            print("e2e: without a display (%s) the game said %r and exited with %d"
                  % ("runtime folder" if extra else "no runtime folder", errors.strip(), done.returncode))
            if done.returncode != 0:
                raise Failure("without a display the game exited with %d" % done.returncode)
            lines = [line for line in errors.splitlines() if line.strip()]
            if len(lines) != 1 or DEVICE_FAILURE_TEXT not in lines[0]:
                raise Failure("without a display standard error should hold the device failure text alone: %r"
                              % errors)
    finally:
        shutil.rmtree(runtime, ignore_errors=True)


def stop(game):
    if game.poll() is None:
        game.kill()
        game.wait(timeout=5)


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


SESSION_DEADLINE_SECONDS = 150


def on_deadline(signum, frame):
    raise Failure("the session did not finish in time (signal %d)" % signum)


class XServer:
    """A private Xvfb. It picks a free display itself and reports it through a
    pipe, so that sessions running side by side never share a server. It
    never resets: by default a server resets when its last client leaves, and
    a program connecting meanwhile (the window search polls beside the
    program's start, which itself connects twice) is refused."""

    def __init__(self, size):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size + "x24",
                                         "-nolisten", "tcp", "-noreset"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True, pass_fds=(write_end,))
        os.close(write_end)
        try:
            self.name = ":%d" % read_display_number(read_end, self.process)
        except BaseException:
            self.stop()
            raise

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait(timeout=5)


def on_display(size, env, body):
    server = XServer(size)
    try:
        body(dict(env, DISPLAY=server.name), server.name)
    finally:
        server.stop()


def main():
    # A stuck X request has no timeout of its own: the deadline (or ctest's
    # SIGTERM) unwinds through the clean-up below.
    signal.signal(signal.SIGALRM, on_deadline)
    signal.signal(signal.SIGTERM, on_deadline)
    signal.alarm(SESSION_DEADLINE_SECONDS)
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

    env = dict(os.environ)
    env.pop("WAYLAND_DISPLAY", None)
    env["SDL_VIDEODRIVER"] = "x11"
    env["SDL_AUDIODRIVER"] = "dummy"
    # Libraries the X11 video driver loads (dbus, GL) keep allocations until
    # exit; the unit tests check the game's own objects.
    env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":")
    log = tempfile.TemporaryFile()
    try:
        on_display("1024x768", env, lambda e, name: windowed_session(executable, data_dir, e, name, log))
        on_display("1280x720", env, lambda e, name: full_screen_session(executable, data_dir, e, name, log))
        no_display_session(executable, data_dir, env)
        print("e2e: ok")
        return 0
    except (Failure, subprocess.TimeoutExpired) as error:
        print("e2e: FAILED: %s" % error)
        log.seek(0)
        output = log.read().decode(errors="replace")
        if output:
            print("game output:\n" + output)
        return 1
    finally:
        signal.alarm(0)
        log.close()
        if scratch:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
