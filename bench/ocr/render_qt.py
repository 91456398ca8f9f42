#!/usr/bin/env python3
"""Screens of real Qt 6 widgets on a private Xvfb, with truth taken from Qt's own geometry.

    render_qt.py OUT_DIR COUNT SEED [--scale 2|1] [--tool PATH]

Writes OUT_DIR/screen_NN.png and OUT_DIR/screen_NN.json in the bench's truth format (one entry per
visual text line, its box and one [left, right] per character in the pixels of the 2880x1800 image
the bench scans). Each screen is a desktop window with two or three top-level Qt windows side by
side or stacked (Fusion style, light or dark palette): a contact table (QTableWidget), a profile
form of filled QLineEdits, a note in a QPlainTextEdit, a mail list (QListWidget) or a settings
panel of QLabels, with menu bars and push buttons, in DejaVu, Liberation or Noto sans, serif or
mono fonts of 12 to 18 pixels per 1x pixel. velarion-ocr-bench-widgets (built with
-DVELARION_BUILD_BENCHMARKS=ON) shows the windows and writes the truth; this script makes the
content, takes the screenshot and checks every truth line against its ink.
--scale 2 draws a native 2x screen (fonts and geometry doubled); --scale 1 a 1x screen of 1440x900
that velarion-ocr-bench-enlarge then enlarges as the snapshot does.

Needs Debian's xvfb, imagemagick, fonts-dejavu, fonts-liberation2, fonts-noto-core (see README.md).
"""

import json
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from render_screens import Content  # noqa: E402
from render_xterm import frames  # noqa: E402
from xscreen import NICE, Xvfb, installed_families, render_all, save_png  # noqa: E402

FAMILIES = {"sans": ["DejaVu Sans", "Liberation Sans", "Noto Sans"],
            "serif": ["DejaVu Serif", "Liberation Serif", "Noto Serif"],
            "mono": ["DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono"]}
DESKTOPS = ["#5b6b7f", "#2f4f4f", "#3b3b58", "#6b705c", "#1d3557"]
KINDS = ["contacts", "form", "note", "list", "settings"]
MENUS = [["File", "Edit", "View", "Help"], ["File", "Edit", "Tools", "Window", "Help"],
         ["Mail", "Message", "View", "Help"], ["File", "Contacts", "Settings", "Help"]]



def window_content(c, kind):
    """The window's widgets' text, made by the shared content generator."""
    r = c.r
    if kind == "contacts":
        rows = [[c.name(), c.email() if r.random() < 0.85 else "-", c.phone() if r.random() < 0.75 else "-",
                 c.card() if r.random() < 0.6 else "n/a"] for _ in range(r.randint(8, 18))]
        return {"kind": "table", "title": r.choice(["Contacts", "Customers", "Address book"]),
                "columns": ["Name", "E-mail", "Phone", "Card"], "rows": rows,
                "striped": r.random() < 0.6, "grid": r.random() < 0.5,
                "buttons": r.choice([["Add", "Export"], ["New contact", "Delete"], ["Import", "Export", "Close"]])}
    if kind == "form":
        fields = [("Full name:", c.name()), ("E-mail:", c.email()), ("Phone:", c.phone()),
                  ("Card number:", c.card()), ("SSN:", c.ssn())]
        if r.random() < 0.5:
            fields.insert(1, ("Company:", c.words(2).title()))
        if r.random() < 0.5:
            fields.append(("Backup e-mail:", c.email()))
        return {"kind": "form", "title": r.choice(["Edit profile", "Customer details", "New account"]),
                "fields": fields, "buttons": r.choice([["Save", "Cancel"], ["Apply", "Reset"], ["OK", "Cancel"]])}
    if kind == "note":
        lines = [f"Dear {c.name()},", ""]
        for _ in range(r.randint(6, 11)):
            line = c.sentence(r.random() < 0.45)
            if r.random() < 0.3:
                # Long enough to wrap in a narrow window: one truth line per visual line.
                line += ", " + c.sentence(r.random() < 0.5)
            lines.append(line[0].upper() + line[1:] + ".")
        lines += ["", "Best regards,", c.name()]
        return {"kind": "note", "title": r.choice(["Note", "Letter draft", "notes.txt"]),
                "text": "\n".join(lines), "read_only": r.random() < 0.5,
                "buttons": r.choice([["Send"], ["Save", "Close"], []])}
    if kind == "list":
        items = []
        for _ in range(r.randint(6, 11)):
            items.append(c.email() if r.random() < 0.6 else c.name())
            items.append(c.sentence(r.random() < 0.25))
        return {"kind": "list", "title": r.choice(["Inbox", "Mail", "Sent"]), "items": items,
                "striped": r.random() < 0.5, "spacing": r.choice([0, 1, 2]),
                "buttons": r.choice([["Reply", "Forward", "Delete"], ["Compose"], []])}
    fields = [("Account:", c.email()), ("Recovery phone:", c.phone()), ("Card on file:", c.card()),
              ("Tax ID:", c.ssn()), ("Plan:", r.choice(["Free", "Team", "Business"])),
              ("Renewal:", c.decoy()), ("Notes:", c.words(r.randint(2, 4)))]
    r.shuffle(fields)
    return {"kind": "settings", "title": r.choice(["Settings", "Profile", "Billing"]),
            "fields": fields[:r.randint(4, 7)], "buttons": r.choice([["Close"], ["Edit", "Close"], []])}


def plan(rng, families, scale):
    """One screen's layout, in pixels of the screen it is drawn on."""
    c = Content(rng)
    wins = []
    for frame in frames(rng):
        kind = rng.choice(KINDS)
        fk = rng.choice(["sans", "sans", "serif", "mono"])
        if not families[fk]:
            fk = "sans"
        dark = rng.random() < 0.45
        x, y, w, h = (v * scale for v in frame)
        win = window_content(c, kind)
        win.update(x=x, y=y, w=w, h=h, dark=dark, family=rng.choice(families[fk]),
                   px=rng.randint(12, 18) * scale, frameless=rng.random() < 0.5,
                   menus=rng.choice(MENUS) if rng.random() < 0.6 else [],
                   tags=[fk, "dark" if dark else "light", "qt", kind])
        wins.append(win)
    return {"width": 1440 * scale, "height": 900 * scale, "scale": scale, "desktop": rng.choice(DESKTOPS),
            "windows": wins}


def pixel(screen, x, y):
    width, _, pixels = screen
    i = (y * width + x) * 3
    return pixels[i:i + 3]


def ground_rows(screen, x0, x1, t, b):
    """Each row's colour over [x0, x1) when every row of it is one colour, else None."""
    rows = []
    for y in range(t, b):
        ground = pixel(screen, x0, y)
        if any(pixel(screen, x, y) != ground for x in range(x0, x1)):
            return None
        rows.append(ground)
    return rows


def check_line(stem, screen, line, scale):
    """The box is right when each of its characters holds ink and strips just before its first and
    past its last character are ground: each row of a strip one colour, which also holds on a
    gradient (Fusion's buttons)."""
    if "chars" not in line:
        return 0
    x0, top, w, h = line["box"]
    x1 = x0 + w
    vx0, vy0, vx1, vy1 = line["visible"]
    t, b = max(int(top), int(vy0)), min(int(math.ceil(top + h)), int(vy1))
    problems = []
    rows = None
    after0 = int(math.ceil(x1)) + scale
    after1 = min(after0 + 3 * scale, int(vx1) - 3 * scale)
    if after1 > after0:
        rows = ground_rows(screen, after0, after1, t, b)
        if rows is None:
            problems.append("ink past the last character")
    before1 = int(x0) - scale
    before0 = max(before1 - 3 * scale, int(math.ceil(vx0)) + 3 * scale)
    if before1 > before0:
        before = ground_rows(screen, before0, before1, t, b)
        if before is None:
            problems.append("ink before the first character")
        rows = rows or before
    if rows:
        for ch, (left, right) in zip(line["text"], line["chars"]):
            if ch.isspace() or right <= left:
                continue
            if not any(pixel(screen, x, y) != rows[y - t]
                       for y in range(t, b) for x in range(int(left), int(math.ceil(right)))):
                problems.append(f"no ink in the box of {ch!r}")
                break
    for problem in problems:
        print(f"warning: {stem}: {problem} of {line['text']!r}", file=sys.stderr)
    return len(problems)


def render(display, tool, work, out_dir, index, layout):
    stem = os.path.join(out_dir, f"screen_{index:02d}")
    scale = layout["scale"]
    layout_file = os.path.join(work, f"layout_{index:02d}.json")
    raw = os.path.join(work, f"truth_{index:02d}.json")
    with open(layout_file, "w") as f:
        json.dump(layout, f)
    proc = subprocess.Popen(NICE + [tool, layout_file, raw, "-platform", "xcb"], env=display.env,
                            stdout=subprocess.DEVNULL)
    try:
        deadline = time.time() + 60
        while not os.path.exists(raw):
            if proc.poll() is not None or time.time() > deadline:
                raise RuntimeError(f"{tool} wrote no truth for {stem}")
            time.sleep(0.1)
        screen = settle(display)
        save_png(screen, stem)
    finally:
        proc.terminate()
        proc.wait()
    with open(raw) as f:
        lines = json.load(f)["lines"]
    k = 2 / scale  # the truth is in the pixels of the 2x image the bench scans
    truth = []
    warnings = 0
    for line in lines:
        x, y, w, h = line["box"]
        entry = {"text": line["text"], "x": round(x * k), "y": round(y * k), "width": round((x + w) * k) - round(x * k),
                 "height": round((y + h) * k) - round(y * k), "tags": line["tags"]}
        if "chars" in line:
            entry["chars"] = [[round(a * k), round(b * k)] for a, b in line["chars"]]
        truth.append(entry)
        warnings += check_line(stem, screen, line, scale)
    with open(stem + ".json", "w") as f:
        json.dump({"lines": truth}, f, indent=1)
    return stem, len(truth), sum(1 for e in truth if "clipped" in e["tags"]), warnings


def settle(display):
    """The screen once two screenshots in a row agree."""
    previous = None
    for _ in range(60):
        time.sleep(0.3)
        screen = display.screenshot()
        if screen == previous:
            return screen
        previous = screen
    print("warning: the screen kept changing; taking the last screenshot", file=sys.stderr)
    return screen


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    out_dir, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    scale = int(sys.argv[sys.argv.index("--scale") + 1]) if "--scale" in sys.argv else 2
    tool = (sys.argv[sys.argv.index("--tool") + 1] if "--tool" in sys.argv
            else os.path.join(HERE, "..", "..", "build", "bin", "velarion-ocr-bench-widgets"))
    families = {k: installed_families(v) for k, v in FAMILIES.items()}
    if not families["sans"]:
        print("none of " + ", ".join(FAMILIES["sans"]) + " is installed", file=sys.stderr)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    rng = random.Random(seed)
    plans = [plan(rng, families, scale) for _ in range(count)]
    work = tempfile.mkdtemp(prefix="render-qt-")
    display = Xvfb(1440 * scale, 900 * scale)
    # Qt sizes everything in device pixels here: the 2x screen is drawn 2x by the layout itself.
    for name in ("QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_QPA_PLATFORM",
                 "QT_STYLE_OVERRIDE", "QT_FONT_DPI"):
        display.env.pop(name, None)
    runtime = os.path.join(work, "xdg")
    os.mkdir(runtime, 0o700)
    display.env["XDG_RUNTIME_DIR"] = runtime
    def close():
        display.close()
        shutil.rmtree(work, ignore_errors=True)

    return render_all(
        plans, lambda index, layout: render(display, tool, work, out_dir, index, layout),
        lambda layout: ", ".join(f"{w['tags'][-1]} {w['family']} {w['px']}px" for w in layout["windows"]),
        "ink check", close)


if __name__ == "__main__":
    sys.exit(main())
