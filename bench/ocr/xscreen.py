"""Helpers shared by the renderers that draw real X11 clients on a private Xvfb and screenshot it."""

import os
import subprocess
import sys

NICE = ["nice", "-n", "10"]
# The real ImageMagick: another `convert` may come first on PATH.
IMPORT, CONVERT = "/usr/bin/import", "/usr/bin/convert"


def installed_families(wanted):
    """The families of wanted that fontconfig knows, in wanted's order."""
    listed = subprocess.run(["fc-list", ":", "family"], capture_output=True, text=True).stdout
    names = {n.strip() for line in listed.splitlines() for n in line.split(",")}
    return [f for f in wanted if f in names]


class Xvfb:
    """A private Xvfb; everything started here is ended by its pid."""

    def __init__(self, width, height):
        read, write = os.pipe()
        # -noreset: a server reset when a client leaves (xsetroot) would drop the desktop colour.
        self.xvfb = subprocess.Popen(NICE + ["Xvfb", "-displayfd", str(write), "-screen", "0",
                                             f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
        os.close(read)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display, LANG="C.UTF-8")

    def close(self):
        self.xvfb.terminate()
        self.xvfb.wait()

    def run(self, cmd):
        return subprocess.run(cmd, env=self.env, capture_output=True, check=True).stdout

    def screenshot(self):
        """The root window as (width, height, RGB bytes)."""
        ppm = self.run([IMPORT, "-window", "root", "-depth", "8", "ppm:-"])
        magic, width, height, maxval, pixels = ppm.split(maxsplit=4)
        assert magic == b"P6" and maxval == b"255"
        return int(width), int(height), pixels


def save_png(screen, stem):
    with open(stem + ".ppm", "wb") as f:
        f.write(b"P6 %d %d 255\n" % screen[:2] + screen[2])
    # Without the date chunks the same seed gives the same files.
    subprocess.run([CONVERT, stem + ".ppm", "-define", "png:exclude-chunk=date,time", stem + ".png"], check=True)
    os.remove(stem + ".ppm")


def hex_rgb(colour):
    return bytes(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def region_inked(screen, x0, y0, x1, y1, ground):
    """True when any pixel of [x0, x1) x [y0, y1) differs from the ground colour."""
    width, _, pixels = screen
    plain = ground * (x1 - x0)
    for y in range(y0, y1):
        start = (y * width + x0) * 3
        if pixels[start:start + 3 * (x1 - x0)] != plain:
            return True
    return False


def frames(rng):
    """Window frames in 1x pixels of a 1440x900 desktop."""
    layout = rng.choice(["side", "side", "stack", "three"])
    if layout == "side":
        split = rng.randint(620, 820)
        return [(12, 12, split - 18, 876), (split + 6, 12, 1440 - split - 18, 876)]
    if layout == "stack":
        split = rng.randint(360, 540)
        return [(12, 12, 1416, split - 18), (12, split + 6, 1416, 900 - split - 18)]
    return [(12, 12, 700, 876), (724, 12, 704, 430), (724, 454, 704, 434)]


def render_all(plans, render_one, describe, what, close, start=None):
    """Draws each screen of plans with render_one(index, plan), which returns (stem, lines, clipped,
    warnings), and prints what it drew; start runs first and close at the end whatever happens."""
    problems = 0
    try:
        if start:
            start()
        for index, screen in enumerate(plans):
            stem, lines, clipped, warnings = render_one(index, screen)
            problems += warnings
            print(f"{stem}: {lines} lines ({clipped} clipped), " + describe(screen))
    finally:
        close()
    if problems:
        print(f"{problems} {what} warnings", file=sys.stderr)
    return 0
