#!/usr/bin/python3
"""Screens of real GTK 3 windows on a private Xvfb, with truth taken from the toolkit's own text layouts.

    render_gtk.py OUT_DIR COUNT SEED [--scale 2|1]

Run it with Debian's /usr/bin/python3, which has PyGObject and Gtk 3.0. Writes OUT_DIR/screen_NN.png
and OUT_DIR/screen_NN.json in the bench's truth format (one entry per visual text line, its box and
one [left, right] per character in the pixels of the 2880x1800 image the bench scans). Each screen
is a desktop with two or three undecorated GTK windows side by side or stacked: contact tables
(GtkTreeView), a filled form (GtkEntry in a GtkGrid), a letter in a GtkTextView, a mail list
(GtkListBox), a profile panel of labels, each under a header bar with buttons and a menu bar, in
DejaVu, Liberation and Noto sans, serif and mono fonts of 12 to 18 pixels per 1x pixel set by CSS,
in Adwaita or its dark variant. --scale 2 draws a native 2x screen (GDK_SCALE=2); --scale 1 a 1x
screen of 1440x900 that velarion-ocr-bench-enlarge then enlarges as the snapshot does.

Needs Debian's python3-gi, gir1.2-gtk-3.0, xvfb, x11-xserver-utils, imagemagick (see README.md).
"""

import json
import math
import os
import random
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from render_screens import Content, FIRST, LAST  # noqa: E402
from xscreen import Xvfb, frames, installed_families, render_all, save_png  # noqa: E402

FAMILIES = {"sans": ["DejaVu Sans", "Liberation Sans", "Noto Sans"],
            "serif": ["DejaVu Serif", "Liberation Serif", "Noto Serif"],
            "mono": ["DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono"]}
DESKTOPS = ["#5b6b7f", "#2f4f4f", "#3b3b58", "#6b705c", "#1d3557"]
KINDS = ["contacts", "form", "note", "list", "profile"]
K = 2  # the truth is in the pixels of the 2x image the bench scans; GTK's geometry is in 1x pixels

Gtk = Gdk = Pango = None  # imported once the private display is known


def load_gtk(display, scale, config):
    global Gtk, Gdk, Pango
    os.environ.update(DISPLAY=display, GDK_BACKEND="x11", GDK_SCALE=str(scale), GDK_DPI_SCALE="1",
                      NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory", XDG_CONFIG_HOME=config)
    # The user's own GTK theme or settings would make the screens differ between machines.
    os.environ.pop("GTK_THEME", None)
    import gi
    gi.require_version("Gtk", "3.0")
    gi.require_version("Gdk", "3.0")
    gi.require_version("Pango", "1.0")
    from gi.repository import Gtk as gtk, Gdk as gdk, Pango as pango
    Gtk, Gdk, Pango = gtk, gdk, pango
    settings = Gtk.Settings.get_default()
    # A blinking caret or a running transition would keep two screenshots from agreeing.
    settings.set_property("gtk-cursor-blink", False)
    settings.set_property("gtk-enable-animations", False)
    settings.set_property("gtk-theme-name", "Adwaita")
    # The pointer sits in the middle of a fresh Xvfb, where it would light up whatever lies beneath.
    seat = Gdk.Display.get_default().get_default_seat()
    seat.get_pointer().warp(Gdk.Screen.get_default(), 0, 0)


# Content of the windows: plain data, so that a seed plans the same screens before GTK is loaded.

def plan_window(c, kind):
    r = c.r
    if kind == "contacts":
        if r.random() < 0.5:
            head = ["Name", "E-mail", "Phone", "Card"]
            rows = [[c.name(), c.email() if r.random() < 0.85 else "-", c.phone() if r.random() < 0.75 else "-",
                     c.card() if r.random() < 0.5 else "-"] for _ in range(r.randint(8, 18))]
        else:
            head = ["ID", "Customer", "Card", "SSN", "Total"]
            rows = [[str(r.randint(1000, 9999)), c.name(), c.card() if r.random() < 0.7 else "n/a",
                     c.ssn() if r.random() < 0.6 else "pending", c.decoy()] for _ in range(r.randint(8, 18))]
        return {"title": r.choice(["Customers", "Contacts", "Accounts", "Billing"]),
                "subtitle": f"{len(rows)} records", "head": head, "rows": rows, "grid": r.random() < 0.4}
    if kind == "form":
        name = c.name()
        fields = [("Full name", name), ("E-mail", c.email()), ("Phone", c.phone()), ("Card number", c.card()),
                  ("SSN", c.ssn()), ("Company", c.words(2).title()), ("City", r.choice(LAST).title() + "ville")]
        return {"title": "New customer", "subtitle": name, "fields": fields[:r.randint(5, 7)],
                "note": c.sentence(r.random() < 0.3)}
    if kind == "note":
        name = c.name()
        paras = ["Dear " + name + ","]
        for _ in range(r.randint(3, 5)):
            # Only the first letter: str.capitalize would lower "INV-" and the like.
            paras.append(" ".join(upper_first(c.sentence(r.random() < 0.35)) + "." for _ in range(r.randint(1, 3))))
        paras.append("Kind regards,\n" + c.name())
        return {"title": "Letter to " + name.split()[0], "subtitle": "notes.txt \u2014 draft", "text": "\n\n".join(paras)}
    if kind == "list":
        rows = []
        for _ in range(r.randint(8, 14)):
            who = c.email() if r.random() < 0.5 else c.name()
            rows.append((who, f"{r.randint(0, 23):02d}:{r.randint(0, 59):02d}", c.sentence(r.random() < 0.25)))
        return {"title": "Inbox", "subtitle": f"{r.randint(2, 90)} unread", "rows": rows}
    items = [("Name", c.name()), ("E-mail", c.email()), ("Phone", c.phone()), ("Card on file", c.card()),
             ("Tax ID", c.ssn()), ("Member since", f"2026-{r.randint(1, 12):02d}-{r.randint(1, 28):02d}"),
             ("Plan", r.choice(["Basic", "Team", "Enterprise"])), ("Backup e-mail", c.email())]
    r.shuffle(items)
    return {"title": "Profile", "subtitle": r.choice(FIRST) + "@" + r.choice(["host", "laptop"]),
            "items": items[:r.randint(5, 8)], "about": c.sentence(r.random() < 0.3)}


def upper_first(text):
    return text[:1].upper() + text[1:]


def plan(rng, families):
    c = Content(rng)
    desktop = rng.choice(DESKTOPS)
    dark = rng.random() < 0.5
    wins = []
    places = frames(rng)
    # Different kinds on one screen, so that a few screens hold every kind of widget.
    for frame, kind in zip(places, rng.sample(KINDS, len(places))):
        fk = rng.choice(["serif", "serif", "sans"]) if kind == "note" else rng.choice(["sans", "sans", "serif", "mono"])
        wins.append({"frame": frame, "kind": kind, "fk": fk, "family": rng.choice(families[fk]),
                     "px": rng.randint(12, 18), "menu": rng.random() < 0.6, "data": plan_window(c, kind)})
    return desktop, dark, wins


# The windows.

def label(text, xalign=0.0):
    w = Gtk.Label(label=text)
    w.set_xalign(xalign)
    return w


def build_window(index, win):
    d = win["data"]
    x, y, w, h = win["frame"]
    top = Gtk.Window(type=Gtk.WindowType.TOPLEVEL)
    top.set_name(f"w{index}")
    top.move(x, y)
    top.set_default_size(w, h)
    top.set_size_request(w, h)
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    top.add(box)
    # The header bar as an ordinary child: as a title bar it would bring client-side shadows.
    bar = Gtk.HeaderBar(title=d["title"], subtitle=d["subtitle"])
    bar.pack_start(Gtk.Button.new_with_label({"contacts": "Add", "form": "Back", "note": "Open",
                                              "list": "Compose", "profile": "Back"}[win["kind"]]))
    bar.pack_end(Gtk.Button.new_with_label({"contacts": "Export", "form": "Save", "note": "Save",
                                            "list": "Refresh", "profile": "Edit"}[win["kind"]]))
    box.pack_start(bar, False, False, 0)
    if win["menu"]:
        menu = Gtk.MenuBar()
        for item in ["File", "Edit", "View", "Tools", "Help"]:
            menu.append(Gtk.MenuItem(label=item))
        box.pack_start(menu, False, False, 0)
    scroll = Gtk.ScrolledWindow()
    scroll.set_policy(Gtk.PolicyType.AUTOMATIC, Gtk.PolicyType.AUTOMATIC)
    box.pack_start(scroll, True, True, 0)
    kind = win["kind"]
    if kind == "contacts":
        store = Gtk.ListStore(*[str] * len(d["head"]))
        for row in d["rows"]:
            store.append(row)
        tree = Gtk.TreeView(model=store)
        tree.get_selection().set_mode(Gtk.SelectionMode.NONE)
        tree.set_can_focus(False)
        if d["grid"]:
            tree.set_grid_lines(Gtk.TreeViewGridLines.BOTH)
        for i, title in enumerate(d["head"]):
            column = Gtk.TreeViewColumn(title, Gtk.CellRendererText(), text=i)
            tree.append_column(column)
        scroll.add(tree)
    elif kind == "form":
        grid = Gtk.Grid(column_spacing=12, row_spacing=8, margin=16)
        for i, (name, value) in enumerate(d["fields"]):
            grid.attach(label(name, 1.0), 0, i, 1, 1)
            entry = Gtk.Entry(text=value, hexpand=True, can_focus=False)
            grid.attach(entry, 1, i, 1, 1)
        check = Gtk.CheckButton(label="Send a receipt by e-mail")
        grid.attach(check, 1, len(d["fields"]), 1, 1)
        note = label(d["note"])
        grid.attach(note, 0, len(d["fields"]) + 1, 2, 1)
        buttons = Gtk.Box(spacing=8, halign=Gtk.Align.END)
        buttons.pack_start(Gtk.Button.new_with_label("Cancel"), False, False, 0)
        buttons.pack_start(Gtk.Button.new_with_label("Create customer"), False, False, 0)
        grid.attach(buttons, 1, len(d["fields"]) + 2, 1, 1)
        scroll.add(grid)
    elif kind == "note":
        view = Gtk.TextView(wrap_mode=Gtk.WrapMode.WORD, cursor_visible=False, can_focus=False,
                            left_margin=12, right_margin=12, top_margin=10, pixels_below_lines=2)
        view.get_buffer().set_text(d["text"])
        scroll.add(view)
    elif kind == "list":
        listbox = Gtk.ListBox(selection_mode=Gtk.SelectionMode.NONE)
        for who, when, subject in d["rows"]:
            row = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=2, margin=6)
            first = Gtk.Box(spacing=12)
            first.pack_start(label(who), True, True, 0)
            first.pack_end(label(when, 1.0), False, False, 0)
            row.pack_start(first, False, False, 0)
            row.pack_start(label(subject), False, False, 0)
            listbox.add(row)
        scroll.add(listbox)
    else:
        grid = Gtk.Grid(column_spacing=16, row_spacing=10, margin=18)
        grid.attach(label("Account"), 0, 0, 2, 1)
        for i, (name, value) in enumerate(d["items"]):
            grid.attach(label(name + ":", 1.0), 0, i + 1, 1, 1)
            grid.attach(label(value), 1, i + 1, 1, 1)
        n = len(d["items"]) + 1
        switch_row = Gtk.Box(spacing=10)
        switch_row.pack_start(Gtk.Switch(active=True), False, False, 0)
        switch_row.pack_start(label("Two-factor sign-in"), False, False, 0)
        grid.attach(switch_row, 1, n, 1, 1)
        grid.attach(label(d["about"]), 0, n + 1, 2, 1)
        buttons = Gtk.Box(spacing=8)
        buttons.pack_start(Gtk.Button.new_with_label("Change password"), False, False, 0)
        buttons.pack_start(Gtk.Button.new_with_label("Sign out"), False, False, 0)
        grid.attach(buttons, 1, n + 2, 1, 1)
        scroll.add(grid)
    return top


def css(wins):
    rules = []
    for i, win in enumerate(wins):
        rules.append(f'#w{i}, #w{i} * {{ font-family: "{win["family"]}"; font-size: {win["px"]}px; }}')
    return "\n".join(rules).encode()


def pump(seconds):
    end = time.time() + seconds
    while True:
        while Gtk.events_pending():
            Gtk.main_iteration_do(False)
        if time.time() >= end:
            return
        time.sleep(0.02)


# The truth, in 1x pixels of the root window until it is written.

def walk(widget, out):
    if not widget.is_drawable():
        return
    out.append(widget)
    if isinstance(widget, Gtk.Container):
        # forall, not foreach: the labels inside header bars, buttons and column headers are internal.
        widget.forall(lambda child: walk(child, out))


def intersect(a, b):
    if a is None or b is None:
        return None
    x0, y0, x1, y1 = max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])
    return (x0, y0, x1, y1) if x1 > x0 and y1 > y0 else None


class Frame:
    """Widget coordinates to root coordinates, and what of a widget its ancestors leave visible."""

    def __init__(self, top):
        self.top = top
        origin = top.get_window().get_origin()
        self.ox, self.oy = origin[-2], origin[-1]

    def point(self, widget, x, y):
        tx, ty = widget.translate_coordinates(self.top, x, y)
        return self.ox + tx, self.oy + ty

    def rect(self, widget, x, y, w, h):
        x0, y0 = self.point(widget, x, y)
        return (x0, y0, x0 + w, y0 + h)

    def visible(self, widget):
        """What of the widget's area the windows it is drawn in show. GTK 3 clips drawing to GdkWindows
        (the toplevel, a scrolled window's viewport, a tree's rows), not to allocations: a header
        bar's subtitle may reach below its label's allocation and still be seen whole."""
        area = (-1e9, -1e9, 1e9, 1e9)
        node = widget
        while node is not None and area is not None:
            if node.get_has_window():
                area = intersect(area, self.rect(node, 0, 0, node.get_allocated_width(), node.get_allocated_height()))
            node = node.get_parent()
        return area


def layout_lines(layout, x, y):
    """One entry per visual line of a Pango layout drawn at (x, y): characters with their edges, top,
    bottom, and the horizontal reach of the line's ink."""
    data = layout.get_text().encode()
    out = []
    it = layout.get_iter()
    while True:
        line = it.get_line_readonly()
        ink, logical = it.get_line_extents()
        chars = []
        i = line.start_index
        while i < line.start_index + line.length:
            # Pango's indices are UTF-8 byte offsets.
            n = 1 if data[i] < 0x80 else 2 if data[i] < 0xe0 else 3 if data[i] < 0xf0 else 4
            pos = layout.index_to_pos(i)
            left, right = sorted((pos.x, pos.x + pos.width))
            chars.append((data[i:i + n].decode(), x + left / Pango.SCALE, x + right / Pango.SCALE))
            i += n
        top = y + logical.y / Pango.SCALE
        spread = (x + ink.x / Pango.SCALE, x + (ink.x + ink.width) / Pango.SCALE) if ink.width else None
        out.append((chars, top, top + logical.height / Pango.SCALE, spread))
        if not it.next_line():
            return out


def trimmed(chars):
    a, z = 0, len(chars)
    while a < z and chars[a][0].isspace():
        a += 1
    while z > a and chars[z - 1][0].isspace():
        z -= 1
    return chars[a:z]


class Truth:
    def __init__(self, screen, scale, stem):
        self.lines = []
        self.checks = []
        self.screen, self.scale, self.stem = screen, scale, stem

    def add(self, chars, top, bottom, visible, tags, ground_area=None, spread=None):
        """One visual line; visible is the part of the screen its widget shows (None: nothing);
        spread, where known, the reach of its ink, which a glyph such as "J" takes past its advance."""
        chars = trimmed(chars)
        if not chars or visible is None:
            return
        text = "".join(ch for ch, _, _ in chars)
        inked = [(a, b) for ch, a, b in chars if not ch.isspace() and b > a]
        left, right = min(a for a, _ in inked), max(b for _, b in inked)
        box = (left, top, right, bottom)
        seen = intersect(box, visible)
        if seen is None:
            return
        if seen != box:
            # Partly hidden: scored neither way, but a mask on its visible part is no false alarm.
            x0, y0 = math.floor(seen[0] * K), math.floor(seen[1] * K)
            self.lines.append({"text": text, "x": x0, "y": y0, "width": math.ceil(seen[2] * K) - x0,
                               "height": math.ceil(seen[3] * K) - y0, "tags": ["clipped"]})
            return
        edges = [[math.floor(a * K), math.ceil(b * K)] for _, a, b in chars]
        x0, y0 = math.floor(left * K), math.floor(top * K)
        self.lines.append({"text": text, "x": x0, "y": y0, "width": math.ceil(right * K) - x0,
                           "height": math.ceil(bottom * K) - y0, "tags": tags, "chars": edges})
        reach = (min(left, spread[0]), max(right, spread[1])) if spread else (left, right)
        self.checks.append((text, chars, box, reach,
                            visible if ground_area is None else intersect(ground_area, visible)))

    def check(self):
        """The layouts are right when the first and the last character's spans hold ink and the ground
        just before the first and just past the last does not. Ground is judged row by row: header
        bars and buttons have vertical gradients."""
        s = self.scale
        problems = 0
        for text, chars, (_, top, _, bottom), (left, right), area in self.checks:
            y0, y1 = math.floor(top * s), math.ceil(bottom * s)
            inked = [(a, b) for ch, a, b in chars if not ch.isspace()]
            for what, (a, b) in (("first", inked[0]), ("last", inked[-1])):
                if not self.inked(math.floor(a * s), math.ceil(b * s), y0, y1):
                    print(f"warning: {self.stem}: no ink on the {what} character of {text!r}", file=sys.stderr)
                    problems += 1
            # A glyph's antialiasing may reach one pixel past its advance; a strip of a third of the line
            # height stays clear of the neighbours' text and of button and cell borders.
            strip = max(2, round((bottom - top) * s * 0.3))
            p0 = math.ceil(right * s) + 1
            p1 = min(p0 + strip, math.floor(area[2] * s) if area else p0)
            if self.inked(p0, p1, y0, y1):
                print(f"warning: {self.stem}: ink just past the end of {text!r}", file=sys.stderr)
                problems += 1
            q1 = math.floor(left * s) - 1
            q0 = max(q1 - strip, math.ceil(area[0] * s) if area else q1)
            if self.inked(q0, q1, y0, y1):
                print(f"warning: {self.stem}: ink just before the start of {text!r}", file=sys.stderr)
                problems += 1
        return problems

    def inked(self, x0, x1, y0, y1):
        return x1 > x0 and any(self.row_inked(y, x0, x1) for y in range(y0, y1))

    def row_inked(self, y, x0, x1):
        width, _, pixels = self.screen
        row = pixels[(y * width + x0) * 3:(y * width + x1) * 3]
        return row != row[:3] * (x1 - x0)


def label_truth(truth, frame, widget, tags):
    layout = widget.get_layout()
    if layout.is_ellipsized():
        tags = ["clipped"]
    lx, ly = widget.get_layout_offsets()
    alloc = widget.get_allocation()
    # GtkLabel gives its layout's place in its parent window's coordinates, like its allocation.
    x, y = frame.point(widget, lx - alloc.x, ly - alloc.y)
    visible = frame.visible(widget)
    # Ground is looked for only inside the label: a check box or a button's edge may sit just beside it.
    own = frame.rect(widget, 0, 0, widget.get_allocated_width(), widget.get_allocated_height())
    for chars, top, bottom, spread in layout_lines(layout, x, y):
        truth.add(chars, top, bottom, visible, tags, own, spread)


def entry_truth(truth, frame, widget, tags):
    layout = widget.get_layout()
    lx, ly = widget.get_layout_offsets()
    x, y = frame.point(widget, lx, ly)
    area = widget.get_text_area()
    visible = intersect(frame.visible(widget), frame.rect(widget, area.x, area.y, area.width, area.height))
    for chars, top, bottom, spread in layout_lines(layout, x, y):
        truth.add(chars, top, bottom, visible, tags, spread=spread)


def textview_truth(truth, frame, view, tags):
    buf = view.get_buffer()
    visible = frame.visible(view)
    lines = {}
    it = buf.get_start_iter()
    while not it.is_end():
        rect = view.get_iter_location(it)
        wx, wy = view.buffer_to_window_coords(Gtk.TextWindowType.WIDGET, rect.x, rect.y)
        x, y = frame.point(view, wx, wy)
        ch = it.get_char()
        if ch != "\n":
            lines.setdefault(y, []).append((ch, x, x + rect.width, y + rect.height))
        it.forward_char()
    for y, chars in sorted(lines.items()):
        truth.add([c[:3] for c in chars], y, max(c[3] for c in chars), visible, tags)


def tree_cells(tree, frame, inset):
    """Each cell's text, layout, the root position GtkCellRendererText draws the layout at and the
    cell area it clips to, when the area GtkCellArea hands the renderer is the tree's cell area less
    inset on each side."""
    model = tree.get_model()
    header = tree.convert_bin_window_to_widget_coords(0, 0)[1] if tree.get_headers_visible() else 0
    body = intersect(frame.visible(tree), frame.rect(tree, 0, header, tree.get_allocated_width(), 1 << 20))
    for r in range(len(model)):
        path = Gtk.TreePath(r)
        for c, column in enumerate(tree.get_columns()):
            cell = tree.get_cell_area(path, column)
            renderer = column.get_cells()[0]
            xpad, ypad = renderer.get_padding()
            xalign, yalign = renderer.get_alignment()
            text = model[r][c]
            # The renderer's own layout: the tree's Pango context and font.
            layout = tree.create_pango_layout(text)
            _, logical = layout.get_pixel_extents()
            inner = (cell.x + inset, cell.y + inset, cell.width - 2 * inset, cell.height - 2 * inset)
            width = min(logical.width, inner[2] - 2 * xpad)
            height = min(logical.height, inner[3] - 2 * ypad)
            dx = int(xalign * (inner[2] - (width + 2 * xpad)))
            dy = max(int(yalign * (inner[3] - (height + 2 * ypad))), 0)
            bx, by = tree.convert_bin_window_to_widget_coords(inner[0] + dx + xpad, inner[1] + dy + ypad)
            wx, wy = tree.convert_bin_window_to_widget_coords(inner[0], inner[1])
            yield text, layout, frame.point(tree, bx, by), intersect(body, frame.rect(tree, wx, wy, inner[2], inner[3]))


def ink_box(screen, scale, area):
    """The box of the pixels in area (1x pixels) that differ from the colour at its right end, row by row."""
    width, _, pixels = screen
    x0, y0, x1, y1 = (math.ceil(area[0] * scale) + 1, math.ceil(area[1] * scale) + 1,
                      math.floor(area[2] * scale) - 1, math.floor(area[3] * scale) - 1)
    box = None
    for y in range(y0, y1):
        row = pixels[(y * width + x0) * 3:(y * width + x1) * 3]
        ground = row[-3:]
        xs = [i for i in range(x1 - x0) if row[i * 3:i * 3 + 3] != ground]
        if xs:
            b = (x0 + xs[0], y, x0 + xs[-1] + 1, y + 1)
            box = b if box is None else (min(box[0], b[0]), min(box[1], b[1]), max(box[2], b[2]), max(box[3], b[3]))
    return box


def tree_inset(truth, frame, tree):
    """GtkCellArea may take the focus line off the cell area before the renderer places its text. Of the
    two readings, the one whose layouts' ink boxes lie where the screenshot has ink."""
    focus = tree.style_get_property("focus-line-width")
    if not focus:
        return 0
    s = truth.scale
    errors = {}
    for inset in (0, focus):
        error = 0
        for text, layout, (x, y), clip in tree_cells(tree, frame, inset):
            seen = ink_box(truth.screen, s, clip) if clip and text.strip() else None
            if seen:
                ink, _ = layout.get_extents()
                want = ((x + ink.x / Pango.SCALE) * s, (y + ink.y / Pango.SCALE) * s,
                        (x + (ink.x + ink.width) / Pango.SCALE) * s)
                error += abs(seen[0] - want[0]) + abs(seen[1] - want[1]) + abs(seen[2] - want[2])
        errors[inset] = error
    return min(errors, key=errors.get)


def tree_truth(truth, frame, tree, tags):
    for text, layout, (x, y), clip in tree_cells(tree, frame, tree_inset(truth, frame, tree)):
        for chars, top, bottom, spread in layout_lines(layout, x, y):
            truth.add(chars, top, bottom, clip, tags, spread=spread)


def collect(truth, top, win, dark):
    frame = Frame(top)
    base = [win["fk"], "dark" if dark else "light", "gtk", win["kind"]]
    widgets = []
    walk(top, widgets)
    for w in widgets:
        if isinstance(w, Gtk.TreeView):
            tree_truth(truth, frame, w, base + ["table"])
        elif isinstance(w, Gtk.TextView):
            textview_truth(truth, frame, w, base)
        elif isinstance(w, Gtk.Entry):
            entry_truth(truth, frame, w, base + ["form"])
        elif isinstance(w, Gtk.Label):
            tags = base
            if any(isinstance(a, Gtk.TreeView) for a in ancestors(w)):
                tags = base + ["table"]
            elif any(isinstance(a, Gtk.ListBox) for a in ancestors(w)):
                tags = base + ["table", "list"]
            label_truth(truth, frame, w, tags)


def ancestors(widget):
    parent = widget.get_parent()
    while parent is not None:
        yield parent
        parent = parent.get_parent()


def settle(xvfb):
    """The screen once two screenshots in a row agree, the windows drawn between them."""
    previous = None
    for _ in range(60):
        pump(0.25)
        screen = xvfb.screenshot()
        if screen == previous:
            return screen
        previous = screen
    print("warning: the screen kept changing; taking the last screenshot", file=sys.stderr)
    return screen


def render(xvfb, out_dir, index, desktop, dark, wins, scale):
    stem = os.path.join(out_dir, f"screen_{index:02d}")
    xvfb.run(["xsetroot", "-solid", desktop])
    Gtk.Settings.get_default().set_property("gtk-application-prefer-dark-theme", dark)
    provider = Gtk.CssProvider()
    provider.load_from_data(css(wins))
    screen = Gdk.Screen.get_default()
    Gtk.StyleContext.add_provider_for_screen(screen, provider, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
    tops = [build_window(i, win) for i, win in enumerate(wins)]
    try:
        for top in tops:
            top.show_all()
        shot = settle(xvfb)
        save_png(shot, stem)
        truth = Truth(shot, scale, stem)
        for top, win in zip(tops, wins):
            collect(truth, top, win, dark)
    finally:
        for top in tops:
            top.destroy()
        Gtk.StyleContext.remove_provider_for_screen(screen, provider)
        pump(0.1)
    with open(stem + ".json", "w") as f:
        json.dump({"lines": truth.lines}, f, indent=1)
    return stem, len(truth.lines), sum(1 for e in truth.lines if "clipped" in e["tags"]), truth.check()


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    out_dir, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    scale = int(sys.argv[sys.argv.index("--scale") + 1]) if "--scale" in sys.argv else 2
    families = {k: installed_families(v) for k, v in FAMILIES.items()}
    if not all(families.values()):
        print("need at least one installed family of each: " + repr(FAMILIES), file=sys.stderr)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    rng = random.Random(seed)
    plans = [plan(rng, families) for _ in range(count)]
    config = tempfile.mkdtemp(prefix="render-gtk-")
    xvfb = Xvfb(1440 * scale, 900 * scale)
    def close():
        xvfb.close()
        shutil.rmtree(config, ignore_errors=True)

    return render_all(
        plans, lambda index, p: render(xvfb, out_dir, index, p[0], p[1], p[2], scale),
        lambda p: ("dark" if p[1] else "light") + ", "
        + ", ".join(f"{w['kind']} {w['family']} {w['px']}px" for w in p[2]),
        "truth check", close, start=lambda: load_gtk(xvfb.display, scale, config))


if __name__ == "__main__":
    sys.exit(main())
