#!/usr/bin/env python3
"""Screens of real xterm windows on a private Xvfb, with truth taken from the terminals' cell grid.

    render_xterm.py OUT_DIR COUNT SEED [--scale 2|1]

Writes OUT_DIR/screen_NN.png and OUT_DIR/screen_NN.json in the bench's truth format (one entry per
terminal row that holds text, its box and one [left, right] per character in the pixels of the
2880x1800 image the bench scans). Each screen is a desktop with two or three xterm windows placed
side by side or stacked, each showing a file that `cat` printed: log lines, comma-separated rows,
grep output of config files, `ls -l` listings and shell sessions, in DejaVu Sans Mono, Liberation
Mono or Noto Sans Mono (those installed) of 12 to 18 pixels per 1x pixel, light and dark colours.
--scale 2 draws a native 2x screen (fonts, borders and geometry doubled); --scale 1 a 1x screen
of 1440x900 that velarion-ocr-bench-enlarge then enlarges as the snapshot does.

Needs Debian's xterm, xvfb, x11-utils, x11-xserver-utils, imagemagick (see README.md).
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import random

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from render_screens import Content, FIRST, terminal_lines  # noqa: E402
from xscreen import NICE, Xvfb, frames, hex_rgb, installed_families, region_inked, render_all, save_png  # noqa: E402

FAMILIES = ["DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono"]
DARK = [("#1e1e1e", "#d4d4d4"), ("#000000", "#e5e5e5"), ("#002b36", "#93a1a1"), ("#282a36", "#f8f8f2"),
        ("#300a24", "#ffffff")]
LIGHT = [("#ffffff", "#000000"), ("#ffffff", "#333333"), ("#fdf6e3", "#586e75"), ("#f5f5f5", "#1e1e1e")]
DESKTOPS = ["#5b6b7f", "#2f4f4f", "#3b3b58", "#6b705c", "#1d3557"]
KINDS = ["csv", "log", "grep", "ls", "session"]
PROMPT = re.compile(r"^[\w.-]+@[\w.-]+:~\$")


def ls_lines(c):
    r = c.r
    user = r.choice(FIRST)
    rows = [f"{user}@host:~$ ls -lho exports/", f"total {r.randint(40, 900)}M"]
    for _ in range(r.randint(8, 16)):
        name = r.choice([f"{c.email()}.vcf", f"contacts_{c.email()}.csv", f"card_{c.card()}.pdf",
                         f"'call {c.phone()}.m4a'", f"{c.words(1)}_{c.words(1)}.xlsx",
                         f"INV-{r.randint(10000, 99999)}.pdf", f"{c.words(1)}-notes.txt"])
        perm = r.choice(["-rw-r--r--", "-rw-------", "-rw-rw-r--", "-rw-r-----"])
        month = r.choice(["Jan", "Feb", "Mar", "Apr", "May", "Jun"])
        size = r.choice([f"{r.randint(1, 999)}", f"{r.randint(1, 99)}.{r.randint(0, 9)}K", f"{r.randint(1, 99)}M"])
        rows.append(f"{perm} 1 {user} {size:>4} {month} {r.randint(1, 28):>2} "
                    f"{r.randint(0, 23):02d}:{r.randint(0, 59):02d} {name}")
    return rows


def session_lines(c):
    r = c.r
    p = f"{r.choice(FIRST)}@{r.choice(['host', 'build-01', 'db-prod', 'laptop'])}:~$ "
    rows = []
    for _ in range(r.randint(4, 7)):
        k = r.randint(0, 6)
        if k == 0:
            rows += [p + "echo $SUPPORT_EMAIL", c.email()]
        elif k == 1:
            rows.append(p + "git log -3 --format='%an <%ae> %s'")
            rows += [f"{c.name()} <{c.email()}> {c.words(r.randint(2, 4))}" for _ in range(3)]
        elif k == 2:
            rows += [p + f'psql -c "select phone from users where id={r.randint(1, 999)}"',
                     "     phone", "----------------", " " + c.phone(), "(1 row)", ""]
        elif k == 3:
            rows += [p + "grep CARD .env", f"TEST_CARD={c.card()}",
                     f"CARD_OWNER={c.name().replace(' ', '_').lower()}"]
        elif k == 4:
            rows += [p + "date", f"{r.choice(['Mon', 'Tue', 'Wed', 'Thu', 'Fri'])} Mar {r.randint(1, 28):>2} "
                     f"{r.randint(0, 23):02d}:{r.randint(0, 59):02d}:{r.randint(0, 59):02d} UTC 2026"]
        elif k == 5:
            rows += [p + "cat notes.txt", c.sentence(r.random() < 0.5), c.sentence(r.random() < 0.5)]
        else:
            rows += [p + f"ssh {c.decoy()}" if r.random() < 0.3 else p + "uptime",
                     f" {r.randint(0, 23):02d}:{r.randint(0, 59):02d}:{r.randint(0, 59):02d} up {r.randint(1, 90)} days, "
                     f"load average: 0.{r.randint(0, 99):02d}, 0.{r.randint(0, 99):02d}"]
    return rows


def content(c, kind):
    if kind in ("csv", "log", "grep"):
        return terminal_lines(c, ["csv", "log", "grep"].index(kind))
    return ls_lines(c) if kind == "ls" else session_lines(c)


class Display(Xvfb):
    """A private Xvfb and the xterms started on it."""

    def __init__(self, width, height, work):
        super().__init__(width, height)
        self.work = work
        self.cells = {}
        self.serial = 0

    def xterm(self, geometry, font, border, bg, fg, text):
        """Starts an xterm that prints text and stays; returns (process, file its window id goes to)."""
        self.serial += 1
        body = os.path.join(self.work, f"t{self.serial}.txt")
        ident = os.path.join(self.work, f"t{self.serial}.id")
        with open(body, "w") as f:
            f.write(text)
        # WINDOWID is the terminal's own window, so its geometry is read from that exact window.
        shell = f'echo "$WINDOWID" > {ident}.part && mv {ident}.part {ident}; cat {body}; exec sleep 1000'
        cmd = NICE + ["xterm", "-geometry", geometry, "-fa", font, "-b", str(border), "-bw", "0", "+sb",
                      "+bc", "-bg", bg, "-fg", fg, "-cr", fg, "-xrm", "XTerm*cursorBlink: false",
                      "-xrm", "XTerm*renderFont: true", "-e", "sh", "-c", shell]
        return subprocess.Popen(cmd, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL), ident

    def geometry(self, ident):
        deadline = time.time() + 20
        while not os.path.exists(ident):
            if time.time() > deadline:
                raise RuntimeError("xterm did not start")
            time.sleep(0.05)
        wid = open(ident).read().strip()
        info = self.run(["xwininfo", "-id", wid]).decode()
        get = {k: int(re.search(rf"{k}:\s+(-?\d+)", info).group(1))
               for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")}
        return get["Absolute upper-left X"], get["Absolute upper-left Y"], get["Width"], get["Height"]

    def cell(self, font):
        """The font's cell in pixels, measured on a small xterm of known columns and rows."""
        if font not in self.cells:
            border = 2
            proc, ident = self.xterm("10x4+0+0", font, border, "#000000", "#ffffff", "")
            _, _, w, h = self.geometry(ident)
            proc.terminate()
            proc.wait()
            self.cells[font] = ((w - 2 * border) / 10, (h - 2 * border) / 4)
        return self.cells[font]


def plan(rng, families, scale):
    """The windows of one screen, each with its font, colours, border and text lines."""
    c = Content(rng)
    desktop = rng.choice(DESKTOPS)
    wins = []
    for frame in frames(rng):
        dark = rng.random() < 0.45
        bg, fg = rng.choice(DARK if dark else LIGHT)
        wins.append({"frame": frame, "dark": dark, "bg": bg, "fg": fg,
                     "family": rng.choice(families), "px": rng.randint(12, 18) * scale,
                     "border": rng.choice([2, 4, 6]) * scale, "colour_prompt": rng.random() < 0.5,
                     "lines": content(c, rng.choice(KINDS))})
    return desktop, wins


def render(display, out_dir, index, desktop, wins, scale):
    stem = os.path.join(out_dir, f"screen_{index:02d}")
    display.run(["xsetroot", "-solid", desktop])
    started = []
    truth = []
    for win in wins:
        x, y, w, h = (v * scale for v in win["frame"])
        font = f"{win['family']}:pixelsize={win['px']}"
        cw, ch = display.cell(font)
        b = win["border"]
        cols, rows = int((w - 2 * b) // cw), int((h - 2 * b) // ch)
        prompt = PROMPT.match(win["lines"][0]).group(0) + " "
        # A line longer than the window is cut where the terminal's last column ends, as `less -S`
        # shows it, and scored neither way; the final prompt waits for the next command.
        shown = [(line[:cols], line) for line in win["lines"] + [prompt]]
        shown = shown[-rows:]
        text = "\x1b[?25l"
        for i, (line, _) in enumerate(shown):
            m = PROMPT.match(line)
            if m and win["colour_prompt"]:
                line = f"\x1b[{'32' if win['dark'] else '34'}m{m.group(0)}\x1b[0m{line[m.end():]}"
            text += line + ("\n" if i + 1 < len(shown) else "")
        proc, ident = display.xterm(f"{cols}x{rows}+{x}+{y}", font, b, win["bg"], win["fg"], text)
        started.append(proc)
        win.update(cols=cols, rows=rows, shown=shown, ident=ident)
    try:
        for win in wins:
            wx, wy, ww, wh = display.geometry(win["ident"])
            b = win["border"]
            cw, ch = (ww - 2 * b) / win["cols"], (wh - 2 * b) / win["rows"]
            if cw != int(cw) or ch != int(ch):
                print(f"warning: {stem}: {ww}x{wh} is no whole grid of {win['cols']}x{win['rows']} cells "
                      f"with border {b}", file=sys.stderr)
            win.update(origin=(wx + b, wy + b), cell=(cw, ch))
        screen = settle(display, wins)
        save_png(screen, stem)
    finally:
        for proc in started:
            proc.terminate()
            proc.wait()
    k = 2 / scale  # the truth is in the pixels of the 2x image the bench scans
    warnings = 0
    for win in wins:
        (ox, oy), (cw, ch) = win["origin"], win["cell"]
        tags = ["mono", "dark" if win["dark"] else "light", "terminal", "xterm"]
        for row, (line, whole) in enumerate(win["shown"]):
            body = line.strip()
            if not body:
                continue
            lead = len(line) - len(line.lstrip())
            top = oy + row * ch
            chars = [[round((ox + (lead + i) * cw) * k), round((ox + (lead + i + 1) * cw) * k)]
                     for i in range(len(body))]
            entry = {"text": body, "x": chars[0][0], "y": round(top * k), "width": chars[-1][1] - chars[0][0],
                     "height": round(ch * k), "tags": tags, "chars": chars}
            if whole != line:
                # As the browser's truth does for a partly hidden line: the whole text, so that a mask
                # on the visible part of a string is no false alarm, and the visible box.
                entry.update(text=whole.strip(), tags=["clipped"])
                del entry["chars"]
            truth.append(entry)
            warnings += check_line(stem, screen, win, row, lead, len(body))
    with open(stem + ".json", "w") as f:
        json.dump({"lines": truth}, f, indent=1)
    return stem, len(truth), sum(1 for e in truth if "clipped" in e["tags"]), warnings


def check_line(stem, screen, win, row, lead, length):
    """The grid is right when a line's cells hold ink and the cell past its last character does not."""
    (ox, oy), (cw, ch) = win["origin"], win["cell"]
    ground = hex_rgb(win["bg"])
    top, bottom = int(oy + row * ch), int(oy + (row + 1) * ch)
    left, right = int(ox + lead * cw), int(ox + (lead + length) * cw)
    problems = 0
    if not region_inked(screen, left, top, right, bottom, ground):
        print(f"warning: {stem}: no ink in the cells of row {row}", file=sys.stderr)
        problems += 1
    if lead + length < win["cols"] and region_inked(screen, right, top, int(right + cw), bottom, ground):
        print(f"warning: {stem}: ink past the last character of row {row}", file=sys.stderr)
        problems += 1
    return problems


def settle(display, wins):
    """The screen once every terminal shows its first line and two screenshots in a row agree."""
    previous = None
    for _ in range(60):
        time.sleep(0.25)
        screen = display.screenshot()
        drawn = all(check_first_row_inked(screen, win) for win in wins)
        if drawn and screen == previous:
            return screen
        previous = screen
    print("warning: the screen kept changing; taking the last screenshot", file=sys.stderr)
    return screen


def check_first_row_inked(screen, win):
    (ox, oy), (cw, ch) = win["origin"], win["cell"]
    for row, (line, _) in enumerate(win["shown"]):
        if line.strip():
            return region_inked(screen, int(ox), int(oy + row * ch), int(ox + win["cols"] * cw),
                                int(oy + (row + 1) * ch), hex_rgb(win["bg"]))
    return True


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    out_dir, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    scale = int(sys.argv[sys.argv.index("--scale") + 1]) if "--scale" in sys.argv else 2
    families = installed_families(FAMILIES)
    if not families:
        print("none of " + ", ".join(FAMILIES) + " is installed", file=sys.stderr)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    rng = random.Random(seed)
    plans = [plan(rng, families, scale) for _ in range(count)]
    work = tempfile.mkdtemp(prefix="render-xterm-")
    display = Display(1440 * scale, 900 * scale, work)
    def close():
        display.close()
        shutil.rmtree(work, ignore_errors=True)

    return render_all(
        plans, lambda index, p: render(display, out_dir, index, p[0], p[1], scale),
        lambda p: "fonts " + ", ".join(f"{w['family']} {w['px']}px" for w in p[1]),
        "grid check", close)


if __name__ == "__main__":
    sys.exit(main())
