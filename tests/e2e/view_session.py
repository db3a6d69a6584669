#!/usr/bin/python3
"""Looks at textures through `tovtex view` under Xvfb, as a person would.

Usage: view_session.py <tovtex executable>

Makes an A8R8G8B8 file with mips, a DXT5 file with mips, a cube map and a
palette picture (and a volume), opens them all in one viewer window and, with real key
presses and mouse drags, shows each at one texel per pixel with alpha
ignored, level by level and face by face, and compares the window's pixels
with `tovtex decode` of the same level and face (and the alpha view with the
decoded alpha). A case whose texture the device draws as plain white (a
format it cannot sample yet) is reported as skipped, not failed; the
A8R8G8B8 case must always match. Escape, and a close request, must end the
viewer with 0.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from game_session import Failure, XServer, request_close, run, screenshot, settled_window  # noqa: E402

WINDOW_NAME = "tovtex view"
CLIENT = (640, 480)
OVERLAY_HEIGHT = 16
AREA = (CLIENT[0], CLIENT[1] - OVERLAY_HEIGHT)
VOLUME_DEPTH = 3
DEADLINE_SECONDS = 150


def pattern(width, height, seed):
    picture = Image.new("RGBA", (width, height))
    pixels = picture.load()
    for y in range(height):
        for x in range(width):
            pixels[x, y] = ((x * 7 + seed * 40) % 256, (y * 9 + seed * 70) % 256, ((x ^ y) * 5 + seed * 30) % 256,
                            (x * 3 + y * 5 + 20) % 256)
    return picture


def write_cube_dds(path, size, seed):
    """An uncompressed A8R8G8B8 cube map of six different faces, one level."""
    header = struct.pack("<4s7I44x8I4I8x", b"DDS ", 124, 0x1 | 0x2 | 0x4 | 0x1000 | 0x8, size, size, size * 4, 0, 1,
                         32, 0x41, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000,
                         0x1000 | 0x8, 0x200 | 0xFC00, 0, 0)
    with open(path, "wb") as out:
        out.write(header)
        for face in range(6):
            out.write(pattern(size, size, seed + face).tobytes("raw", "BGRA"))


def write_volume_dds(path, size, depth, seed):
    """An uncompressed A8R8G8B8 volume of different slices, one level."""
    header = struct.pack("<4s7I44x8I4I8x", b"DDS ", 124, 0x1 | 0x2 | 0x4 | 0x1000 | 0x800000, size, size, size * 4,
                         depth, 1, 32, 0x41, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000,
                         0x1000 | 0x8, 0x200000, 0, 0)
    with open(path, "wb") as out:
        out.write(header)
        for z in range(depth):
            out.write(pattern(size, size, seed + z).tobytes("raw", "BGRA"))


def make_files(tool, directory):
    files = {}
    source = os.path.join(directory, "source.png")
    pattern(64, 64, 1).save(source)
    for name, fmt in (("argb.dds", "A8R8G8B8"), ("dxt5.dds", "DXT5")):
        path = os.path.join(directory, name)
        done = subprocess.run([tool, "convert", source, path, "--format", fmt, "--mips", "all"], capture_output=True,
                              text=True, timeout=60)
        if done.returncode != 0:
            raise Failure("tovtex convert %s failed: %s" % (fmt, done.stderr))
        files[name] = path
    files["cube.dds"] = os.path.join(directory, "cube.dds")
    write_cube_dds(files["cube.dds"], 32, 3)
    palette = pattern(48, 32, 5).convert("RGB").quantize(64)
    files["palette.bmp"] = os.path.join(directory, "palette.bmp")
    palette.save(files["palette.bmp"])
    files["volume.dds"] = os.path.join(directory, "volume.dds")
    write_volume_dds(files["volume.dds"], 32, VOLUME_DEPTH, 7)
    return files


def decoded(tool, path, level, face, directory, slice_=None):
    # A new name each time: the tool does not overwrite outputs unasked.
    out = tempfile.mktemp(suffix=".png", prefix="decoded-", dir=directory)
    where = ["--face", str(face)] if slice_ is None else ["--slice", str(slice_)]
    done = subprocess.run([tool, "decode", path, out, "--level", str(level)] + where,
                          capture_output=True, text=True, timeout=60)
    if done.returncode != 0:
        raise Failure("tovtex decode %s --level %d --face %d failed: %s" % (path, level, face, done.stderr))
    return Image.open(out).convert("RGBA")


def max_difference(a, b):
    return max(high for _, high in ImageChops.difference(a, b).getextrema())


def find_shown(shot, expected, channel_view):
    """The picture's place in the window at 1:1: centred in the area above
    the overlay line, give or take the rounding of the centre."""
    width, height = expected.size
    left, top = (AREA[0] - width) // 2, (AREA[1] - height) // 2
    want = expected.getchannel("A").convert("RGB") if channel_view else expected.convert("RGB")
    best = None
    for dy in range(-2, 3):
        for dx in range(-2, 3):
            box = (left + dx, top + dy, left + dx + width, top + dy + height)
            difference = max_difference(shot.crop(box), want)
            if best is None or difference < best[0]:
                best = (difference, box)
    return best


class Viewer:
    def __init__(self, tool, files, env, display_name, log):
        self.env, self.display_name = env, display_name
        self.process = subprocess.Popen([tool, "view", "--window", "%dx%d" % CLIENT] + files, env=env, stdout=log,
                                        stderr=subprocess.STDOUT)
        self.window = settled_window(env, WINDOW_NAME, "the viewer window", self.process)
        run(["xdotool", "windowfocus", "--sync", str(self.window)], env)
        self.alpha_view = 0  # over checkerboard, alpha as grey, alpha ignored

    def key(self, name, times=1):
        for _ in range(times):
            run(["xdotool", "key", "--window", str(self.window), name], self.env)
        time.sleep(0.3)

    def key_to_quit(self, name):
        # Through XTEST to the focused window. Given a window, xdotool picks
        # its route per event, and once the window has gone the release no
        # longer reaches the server's keyboard: the key would stay down and
        # the next program to take the focus would see it pressed.
        run(["xdotool", "key", name], self.env)

    def alpha(self, view):
        self.key("a", (view - self.alpha_view) % 3)
        self.alpha_view = view

    def shot(self):
        time.sleep(0.3)  # drawn when the queue is empty, and again every 250 ms
        picture = screenshot(self.window, self.display_name)
        if picture.size != CLIENT:
            raise Failure("client area is %dx%d, not %dx%d" % (picture.size + CLIENT))
        return picture

    def drag(self, dx, dy):
        location = run(["xdotool", "getwindowgeometry", "--shell", str(self.window)], self.env).stdout
        geometry = dict(line.split("=") for line in location.split())
        x, y = int(geometry["X"]) + 100, int(geometry["Y"]) + 100
        for command in (["mousemove", str(x), str(y)], ["mousedown", "1"],
                        ["mousemove", str(x + dx // 2), str(y + dy // 2)], ["mousemove", str(x + dx), str(y + dy)],
                        ["mouseup", "1"]):
            run(["xdotool"] + command, self.env)
            time.sleep(0.1)

    def alive(self):
        return self.process.poll() is None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=5)


def compare(viewer, tool, name, path, level, face, directory, results, slice_=None):
    """Shows the level and face (or slice) at 1:1 and compares colour, then
    alpha."""
    expected = decoded(tool, path, level, face, directory, slice_)
    label = "%s level %d %s" % (name, level, "face %d" % face if slice_ is None else "slice %d" % slice_)
    viewer.alpha(2)
    viewer.key("1")
    shot = viewer.shot()
    difference, box = find_shown(shot, expected, False)
    if difference > 1:
        # Inside the place the picture should take, whichever way it rounds.
        inner = (box[0] + 2, box[1] + 2, box[2] - 2, box[3] - 2)
        plain_white = shot.crop(inner).getextrema() == ((255, 255), (255, 255), (255, 255))
        if plain_white and max_difference(expected.convert("RGB"), Image.new("RGB", expected.size, "white")) > 0:
            print("e2e view: SKIPPED %s: the device draws this texture as plain white (it cannot sample its "
                  "format or kind yet)" % label)
            results.append((label, "skipped"))
            return False
        raise Failure("%s: the window differs from tovtex decode by up to %d at %s" % (label, difference, box))
    viewer.alpha(1)
    alpha_difference, _ = find_shown(viewer.shot(), expected, True)
    if alpha_difference > 1:
        raise Failure("%s: the alpha view differs from the decoded alpha by up to %d" % (label, alpha_difference))
    print("e2e view: %s matches tovtex decode (colour within %d, alpha within %d)" % (label, difference,
                                                                                       alpha_difference))
    results.append((label, "ok"))
    return True


def session(tool, env, display_name, directory, log):
    files = make_files(tool, directory)
    order = ["argb.dds", "dxt5.dds", "cube.dds", "palette.bmp", "volume.dds"]
    viewer = Viewer(tool, [files[name] for name in order], env, display_name, log)
    results = []
    try:
        # The always-drawable case: every level, and a drag moves the picture.
        levels = 7
        for level in range(levels):
            compare(viewer, tool, "argb.dds", files["argb.dds"], level, 0, directory, results)
            viewer.key("bracketright")
        viewer.key("bracketleft", levels)
        viewer.alpha(2)
        viewer.key("0")  # fitted again: centred, then 1:1 about the centre
        viewer.key("1")
        difference, before = find_shown(viewer.shot(), decoded(tool, files["argb.dds"], 0, 0, directory), False)
        if difference > 1:
            raise Failure("level 0 is not shown centred at 1:1 after fitting it again")
        viewer.drag(30, 20)
        after = viewer.shot()
        moved = (before[0] + 30, before[1] + 20, before[2] + 30, before[3] + 20)
        if max_difference(after.crop(moved), decoded(tool, files["argb.dds"], 0, 0, directory).convert("RGB")) > 1:
            raise Failure("a drag by (30, 20) did not move the picture by as much")
        print("e2e view: a drag moves the picture with the mouse")

        viewer.key("Right")
        for level in (0, 1, 3):
            viewer.key("bracketleft", 6)  # back to level 0, fitted
            viewer.key("0")
            viewer.key("bracketright", level)
            if not compare(viewer, tool, "dxt5.dds", files["dxt5.dds"], level, 0, directory, results):
                break
        viewer.key("bracketleft", 6)

        viewer.key("Right")
        for face in range(6):
            if not compare(viewer, tool, "cube.dds", files["cube.dds"], 0, face, directory, results):
                break
            viewer.key("f")

        viewer.key("Right")
        compare(viewer, tool, "palette.bmp", files["palette.bmp"], 0, 0, directory, results)

        viewer.key("Right")
        for z in range(VOLUME_DEPTH):
            compare(viewer, tool, "volume.dds", files["volume.dds"], 0, 0, directory, results, z)
            viewer.key("Next")

        if not viewer.alive():
            raise Failure("the viewer ended early with %d" % viewer.process.returncode)
        viewer.key_to_quit("Escape")
        try:
            code = viewer.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            raise Failure("Escape did not end the viewer")
        if code != 0:
            raise Failure("the viewer ended with %d after Escape" % code)
    finally:
        viewer.stop()

    closing = Viewer(tool, [files["argb.dds"]], env, display_name, log)
    try:
        request_close(closing.window, display_name)
        try:
            code = closing.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            raise Failure("a close request did not end the viewer")
        if code != 0:
            raise Failure("the viewer ended with %d after a close request" % code)
    finally:
        closing.stop()
    skipped = [label for label, outcome in results if outcome == "skipped"]
    print("e2e view: %d cases matched, %d skipped%s" % (len(results) - len(skipped), len(skipped),
                                                        (": " + ", ".join(skipped)) if skipped else ""))


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    import signal
    from game_session import on_deadline
    signal.signal(signal.SIGALRM, on_deadline)
    signal.signal(signal.SIGTERM, on_deadline)
    signal.alarm(DEADLINE_SECONDS)
    tool = os.path.abspath(sys.argv[1])
    env = dict(os.environ)
    env.pop("WAYLAND_DISPLAY", None)
    env["SDL_VIDEODRIVER"] = "x11"
    env["SDL_AUDIODRIVER"] = "dummy"
    env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":detect_leaks=0").lstrip(":")
    directory = tempfile.mkdtemp(prefix="tovtex-view-e2e-")
    log = tempfile.TemporaryFile()
    server = None
    try:
        server = XServer("1024x768")
        session(tool, dict(env, DISPLAY=server.name), server.name, directory, log)
        print("e2e view: ok")
        return 0
    except (Failure, subprocess.TimeoutExpired) as error:
        print("e2e view: FAILED: %s" % error)
        log.seek(0)
        output = log.read().decode(errors="replace")
        if output:
            print("viewer output:\n" + output)
        return 1
    finally:
        signal.alarm(0)
        if server is not None:
            server.stop()
        log.close()
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
