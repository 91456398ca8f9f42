#!/usr/bin/env python3
"""Screens drawn by a real renderer (headless Chromium) with the renderer's own truth boxes.

    render_screens.py OUT_DIR COUNT SEED [--scale 2|1]

Writes OUT_DIR/screen_NN.png (1440x900 CSS pixels at the given device scale) and
OUT_DIR/screen_NN.json (the bench's truth format: one entry per visual text line, its text, its box
in image pixels and category tags). Each screen is a desktop of two or three windows: mail lists,
CRM tables, chat bubbles, billing pages, spreadsheets, dark dashboards, tickets, serif letters and
terminals (light and dark, log lines and comma-separated rows), in sans, serif and monospace fonts
of 12 to 18 CSS pixels. With --scale 1 the screen is a 1x monitor; velarion-ocr-bench-enlarge then
enlarges it as the snapshot does.

Needs Debian's chromium and fonts-dejavu, fonts-liberation2, fonts-noto-core (see README.md).
"""

import html
import json
import os
import random
import subprocess
import sys
import concurrent.futures

SANS = ["DejaVu Sans", "Liberation Sans", "Noto Sans", "Nimbus Sans"]
SERIF = ["DejaVu Serif", "Liberation Serif", "Noto Serif", "Nimbus Roman", "C059"]
MONO = ["DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Nimbus Mono PS"]

FIRST = ["david", "maria", "john", "wei", "fatima", "lukas", "sofia", "omar", "elena", "kenji",
         "anna", "pierre", "li", "nadia", "tomas", "grace", "ivan", "aisha", "noah", "kxu"]
LAST = ["horvat", "petrov", "garcia", "smith", "chen", "dubois", "novak", "okafor", "rossi",
        "kowalski", "nguyen", "berg", "haddad", "silva", "tanaka", "muller"]
DOMAINS = ["example.com", "example.org", "mail.example.net", "tailspin-air.com", "contoso.co.uk",
           "fabrikam.io", "northwind-traders.com", "corp.adatum.com", "litware.biz", "news.example.de",
           "wingtiptoys.com", "proseware.net"]
WORDS = ("the meeting agenda project review budget update design team status report quarter plan "
         "draft notes client launch schedule feedback summary release roadmap issue deadline slides "
         "follow call today tomorrow please send final version shared folder marketing sales numbers "
         "growth hiring onboarding office travel invoice order total account settings profile "
         "message reply thread channel general support weekly renewal contract payment shipping "
         "delivery refund balance pending approved overdue customer vendor region north south").split()


class Content:
    def __init__(self, rng):
        self.r = rng

    def email(self):
        r = self.r
        f, l = r.choice(FIRST), r.choice(LAST)
        local = r.choice([f"{f}.{l}", f"{f}_{l}", f"{f[0]}{l}", f"{f}", f"{f}+news", f"{f}.{l}{r.randint(1, 99)}",
                          f"{l}.{f}", f"{f}-{l}", f"{f}{r.randint(10, 999)}", f"{f[0]}.{l}"])
        return f"{local}@{r.choice(DOMAINS)}"

    def digits(self, n):
        return "".join(str(self.r.randint(0, 9)) for _ in range(n))

    def card(self):
        r = self.r
        kind = r.randint(0, 4)
        if kind == 0:
            return "4" + self.digits(15)
        if kind == 1:
            return "4" + self.digits(12)
        if kind == 2:
            return "5" + str(r.randint(1, 5)) + self.digits(14)
        if kind == 3:
            return "3" + r.choice("47") + self.digits(13)
        return "6011" + self.digits(12)

    def phone(self):
        r = self.r
        a, b, c = str(r.randint(201, 989)), self.digits(3), self.digits(4)
        return r.choice([f"({a}) {b}-{c}", f"{a}-{b}-{c}", f"{a}.{b}.{c}", f"{a} {b} {c}",
                         f"+1 {a} {b} {c}", f"+1-{a}-{b}-{c}", f"1-{a}-{b}-{c}"])

    def ssn(self):
        r = self.r
        a, b, c = str(r.randint(101, 899)), self.digits(2), self.digits(4)
        return r.choice([f"{a}-{b}-{c}", f"{a}-{b}-{c}", f"{a} {b} {c}", f"{a}.{b}.{c}"])

    def sensitive(self):
        return self.r.choice([self.email, self.email, self.card, self.phone, self.ssn])()

    def words(self, n):
        return " ".join(self.r.choice(WORDS) for _ in range(n))

    def decoy(self):
        r = self.r
        return r.choice([f"INV-{r.randint(10000, 99999)}", f"#{r.randint(1000, 99999)}",
                         f"${r.randint(1, 9)},{r.randint(100, 999)}.{r.randint(10, 99)}",
                         f"2026-{r.randint(1, 12):02d}-{r.randint(1, 28):02d}",
                         f"{r.randint(0, 23):02d}:{r.randint(0, 59):02d}", f"{r.randint(1, 99)}%",
                         f"v{r.randint(1, 9)}.{r.randint(0, 20)}.{r.randint(0, 9)}",
                         f"10.{r.randint(0, 255)}.{r.randint(0, 255)}.{r.randint(1, 254)}"])

    def name(self):
        return f"{self.r.choice(FIRST).title()} {self.r.choice(LAST).title()}"

    def sentence(self, sensitive):
        r = self.r
        parts = [self.words(r.randint(2, 5))]
        if sensitive:
            parts.append(self.sensitive())
        elif r.random() < 0.5:
            parts.append(self.decoy())
        parts.append(self.words(r.randint(1, 4)))
        return " ".join(parts)


def esc(text):
    return html.escape(text, quote=False)


def t(text, tags, extra=""):
    """One truth line: a nowrap element whose text is measured by the page's script."""
    return f'<span class="t" data-tags="{" ".join(tags)}" {extra}>{esc(text)}</span>'


BADGES = ["#d1fae5;#065f46", "#fee2e2;#991b1b", "#dbeafe;#1e40af", "#fef3c7;#92400e", "#ede9fe;#5b21b6"]


def badge(rng, text, tags):
    bg, fg = rng.choice(BADGES).split(";")
    return (f'<span style="background:{bg};color:{fg};border-radius:9px;padding:1px 8px;'
            f'font-size:0.85em">{t(text, tags)}</span>')


def terminal_lines(c, style=None):
    """A terminal's text, one string per line: a command at a shell prompt and its output
    (0: comma-separated rows, 1: log lines, 2: grep of config files). Shared with render_xterm.py,
    which draws the same text in real terminals."""
    r = c.r
    prompt = f"{r.choice(FIRST)}@host:~$ "
    if style is None:
        style = r.randint(0, 2)
    rows = []
    if style == 0:
        rows.append(prompt + "cat customers.csv")
        rows.append("id,name,email,phone,card")
        for i in range(r.randint(8, 16)):
            f = [str(i + 1), c.name().replace(" ", "_").lower(), c.email(), c.phone().replace(",", ""), c.card()]
            rows.append(",".join(f))
    elif style == 1:
        rows.append(prompt + "tail -n 20 /var/log/app.log")
        for _ in range(r.randint(10, 18)):
            level = r.choice(["INFO", "WARN", "DEBUG", "ERROR"])
            msg = r.choice([f"user={c.email()} login ok", f"sent receipt to {c.email()}",
                            f"charge card={c.card()} ok", f"sms to {c.phone()} queued",
                            f"job {c.decoy()} done", f"cache {c.words(2)} {c.decoy()}"])
            rows.append(f"2026-03-{r.randint(1, 28):02d} {r.randint(0, 23):02d}:{r.randint(0, 59):02d}:{r.randint(0, 59):02d} {level} {msg}")
    else:
        rows.append(prompt + "grep -r contact ./config")
        for _ in range(r.randint(8, 14)):
            key = r.choice(["owner", "contact", "billing_email", "support", "oncall_phone", "notes"])
            val = c.phone() if "phone" in key else (c.email() if r.random() < 0.7 else c.words(2))
            rows.append(f"./config/{r.choice(LAST)}.yaml:  {key}: {val}")
    return rows


def window_body(kind, c, tags, dark):
    r = c.r
    rows = []
    if kind == "mail":
        for _ in range(r.randint(8, 14)):
            s = r.random() < 0.4
            who = c.email() if s else c.name()
            rows.append(f'<div class="row">{t(who, tags)} &nbsp; {badge(r, r.choice(["Inbox", "Work", "Billing"]), tags)}'
                        f'</div><div class="row sub">{t(c.sentence(r.random() < 0.25), tags)}</div>')
    elif kind in ("crm", "sheet"):
        tags = tags + ["table"]
        cols = ["Name", "Email", "Phone", "Status"] if kind == "crm" else ["ID", "Customer", "Card", "SSN", "Total"]
        head = "".join(f"<th>{t(col, tags)}</th>" for col in cols)
        body = []
        for _ in range(r.randint(8, 16)):
            if kind == "crm":
                cells = [c.name(), c.email() if r.random() < 0.8 else "-", c.phone() if r.random() < 0.7 else "-",
                         None]
                tds = "".join(f"<td>{t(x, tags)}</td>" for x in cells[:3])
                tds += f"<td>{badge(r, r.choice(['Active', 'Lead', 'Churned', 'Trial']), tags)}</td>"
            else:
                cells = [str(r.randint(1000, 9999)), c.name(), c.card() if r.random() < 0.7 else "n/a",
                         c.ssn() if r.random() < 0.6 else "pending", c.decoy()]
                tds = "".join(f"<td>{t(x, tags)}</td>" for x in cells)
            body.append(f"<tr>{tds}</tr>")
        grid = "sheet" if kind == "sheet" else ""
        rows.append(f'<table class="{grid}"><tr>{head}</tr>{"".join(body)}</table>')
    elif kind == "chat":
        for _ in range(r.randint(5, 9)):
            mine = r.random() < 0.5
            bg = r.choice(["#2563eb", "#16a34a", "#7c3aed"]) if mine else ("#374151" if dark else "#e5e7eb")
            fg = "#ffffff" if mine or dark else "#111827"
            align = "right" if mine else "left"
            lines = "".join(f"<div>{t(c.sentence(r.random() < 0.35), tags)}</div>" for _ in range(r.randint(1, 2)))
            rows.append(f'<div style="text-align:{align};margin:6px 0"><div style="display:inline-block;'
                        f'text-align:left;background:{bg};color:{fg};border-radius:16px;padding:6px 14px">{lines}</div></div>')
    elif kind == "billing":
        items = [("Card on file", c.card()), ("Billing contact", c.email()), ("Phone", c.phone()),
                 ("Invoice", f"INV-{r.randint(10000, 99999)}"), ("Amount due", c.decoy()),
                 ("Tax ID", c.ssn()), ("Due date", f"2026-{r.randint(1, 12):02d}-{r.randint(1, 28):02d}")]
        r.shuffle(items)
        for label, value in items:
            rows.append(f'<div class="row">{t(label + ": " + value, tags)}</div>')
        for _ in range(r.randint(2, 5)):
            rows.append(f'<div class="row">{t(c.sentence(r.random() < 0.3), tags)}</div>')
    elif kind == "ticket":
        for _ in range(r.randint(3, 5)):
            rows.append(f'<div class="row"><b>{t("Ticket #" + str(r.randint(10000, 99999)), tags)}</b> '
                        f'{badge(r, r.choice(["Open", "Urgent", "Waiting"]), tags)}</div>')
            rows.append(f'<div class="row sub">{t("Customer " + c.email() + " reports " + c.words(3), tags)}</div>')
            rows.append(f'<div class="row sub">{t(c.sentence(r.random() < 0.3), tags)}</div>')
    elif kind == "letter":
        rows.append(f'<div class="row">{t("Dear " + c.name() + ",", tags)}</div>')
        for _ in range(r.randint(8, 14)):
            rows.append(f'<div class="row">{t(c.sentence(r.random() < 0.35), tags)}</div>')
    elif kind == "terminal":
        rows.extend(f'<div class="row">{t(line, tags)}</div>' for line in terminal_lines(c))
    return "".join(rows)


def window(kind, c, x, y, w, h, dark, family_kind, family, size):
    tags = [family_kind, "dark" if dark else "light", kind]
    if kind == "terminal":
        bg, fg = (r_choice(c, ["#1e1e1e", "#000000", "#002b36", "#282a36"]), r_choice(c, ["#d4d4d4", "#e5e5e5", "#93a1a1", "#50fa7b"])) if dark \
            else ("#ffffff", r_choice(c, ["#000000", "#333333"]))
    else:
        bg, fg = ("#111827", "#e5e7eb") if dark else ("#ffffff", "#111827")
    title_bg = "#1f2937" if dark else "#e5e7eb"
    return (f'<div class="win" style="left:{x}px;top:{y}px;width:{w}px;height:{h}px;background:{bg};color:{fg};'
            f'font-family:\'{family}\';font-size:{size}px">'
            f'<div class="title" style="background:{title_bg};color:{fg};font-family:\'DejaVu Sans\';font-size:13px">'
            f'{kind.title()}</div><div class="body">{window_body(kind, c, tags, dark)}</div></div>')


def r_choice(c, items):
    return c.r.choice(items)


SCRIPT = """
<script>
const out = [];
// One truth line per visual line: a wrapped element (a chat bubble's sentence) is split where its
// characters move to the next line box. Each line carries its characters' horizontal extents, so a
// mask can be checked against every sensitive string rather than against the whole line.
function visualLines(e) {
  const node = e.firstChild;
  if (!node || node.nodeType !== Node.TEXT_NODE || e.childNodes.length !== 1) return [];
  const lines = [];
  for (let i = 0; i < node.textContent.length; i++) {
    const r = document.createRange();
    r.setStart(node, i);
    r.setEnd(node, i + 1);
    const cr = r.getClientRects();
    if (!cr.length) continue;
    const c = cr[cr.length - 1];
    let line = lines.length ? lines[lines.length - 1] : null;
    if (!line || c.top >= line.bottom - 1) {
      line = {chars: [], top: c.top, bottom: c.bottom};
      lines.push(line);
    }
    line.chars.push({ch: node.textContent[i], left: c.left, right: c.right});
    line.top = Math.min(line.top, c.top); line.bottom = Math.max(line.bottom, c.bottom);
  }
  const out = [];
  for (const line of lines) {
    let a = 0, z = line.chars.length;
    while (a < z && /\\s/.test(line.chars[a].ch)) a++;
    while (z > a && /\\s/.test(line.chars[z - 1].ch)) z--;
    const chars = line.chars.slice(a, z);
    if (!chars.length) continue;
    const inked = chars.filter(c => !/\\s/.test(c.ch) && c.right > c.left);
    const left = Math.min(...inked.map(c => c.left)), right = Math.max(...inked.map(c => c.right));
    out.push({text: chars.map(c => c.ch).join(''), chars: chars.map(c => [c.left, c.right]),
      b: {left: left, right: right, top: line.top, bottom: line.bottom, width: right - left, height: line.bottom - line.top}});
  }
  return out;
}
// The page, not the viewport: headless Chromium's viewport can be shorter than the window it
// screenshots, which hid the bottom rows of every screen from the truth.
const pageWidth = document.body.clientWidth, pageHeight = document.body.clientHeight;
for (const e of document.querySelectorAll('.t')) {
  const win = e.closest('.win').getBoundingClientRect();
  for (const {text, chars, b} of visualLines(e)) {
    const inside = b.left >= win.left && b.right <= win.right - 2 && b.top >= win.top && b.bottom <= win.bottom - 2
      && b.right <= pageWidth && b.bottom <= pageHeight;
    if (b.width < 1) continue;
    if (!inside) {
      // Partly hidden by its window: scored neither way, but a region on it is no false alarm.
      const l = Math.max(b.left, win.left), t = Math.max(b.top, win.top);
      const r = Math.min(b.right, win.right, pageWidth), bt = Math.min(b.bottom, win.bottom, pageHeight);
      if (r - l >= 1 && bt - t >= 1)
        out.push({text: text, x: l, y: t, w: r - l, h: bt - t, tags: 'clipped'});
      continue;
    }
    out.push({text: text, x: b.left, y: b.top, w: b.width, h: b.height, chars: chars, tags: e.dataset.tags});
  }
}
document.getElementById('truth').textContent = JSON.stringify(out);
</script>"""

STYLE = """<style>
body{margin:0;width:1440px;height:900px;overflow:hidden;background:#5b6b7f}
.win{position:absolute;overflow:hidden;border-radius:8px;box-shadow:0 4px 14px rgba(0,0,0,.4)}
.title{padding:6px 12px}
.body{padding:10px 14px}
.row{white-space:nowrap;margin:3px 0}
.sub{opacity:.8}
table{border-collapse:collapse;white-space:nowrap}
td,th{padding:3px 10px;text-align:left}
th{font-weight:bold}
table.sheet td,table.sheet th{border:1px solid #9ca3af}
tr:nth-child(even){background:rgba(127,127,127,.12)}
#truth{display:none}
</style>"""


def page(rng):
    c = Content(rng)
    kinds = ["mail", "crm", "chat", "billing", "sheet", "ticket", "letter", "terminal", "terminal"]
    n = rng.choice([2, 2, 3])
    wins = []
    if n == 2:
        split = rng.randint(620, 820)
        frames = [(12, 12, split - 18, 876), (split + 6, 12, 1440 - split - 18, 876)]
    else:
        frames = [(12, 12, 700, 876), (724, 12, 704, 430), (724, 454, 704, 434)]
    for (x, y, w, h) in frames:
        kind = rng.choice(kinds)
        dark = rng.random() < 0.4
        if kind == "terminal":
            fk = "mono"
        elif kind == "letter":
            fk = rng.choice(["serif", "serif", "sans"])
        else:
            fk = rng.choice(["sans", "sans", "serif", "mono"])
        family = rng.choice({"sans": SANS, "serif": SERIF, "mono": MONO}[fk])
        size = rng.randint(12, 18)
        wins.append(window(kind, c, x, y, w, h, dark, fk, family, size))
    return f"<!DOCTYPE html><html><head><meta charset='utf-8'>{STYLE}</head><body>{''.join(wins)}<pre id='truth'></pre>{SCRIPT}</body></html>"


def render(out_dir, index, html_text, scale):
    stem = os.path.join(out_dir, f"screen_{index:02d}")
    with open(stem + ".html", "w") as f:
        f.write(html_text)
    cmd = ["nice", "-n", "10", "chromium", "--headless=new", "--no-sandbox", "--disable-gpu",
           "--hide-scrollbars", f"--force-device-scale-factor={scale}", "--window-size=1440,900",
           f"--screenshot={stem}.png", "--dump-dom", "file://" + os.path.abspath(stem + ".html")]
    dom = subprocess.run(cmd, capture_output=True, text=True, timeout=120).stdout
    start = dom.index("<pre id=\"truth\">") + len("<pre id=\"truth\">")
    raw = html.unescape(dom[start:dom.index("</pre>", start)])
    # The truth is in the pixels of the 2x image the bench scans, whichever scale drew the screen.
    k = 2.0
    lines = []
    for e in json.loads(raw):
        x0, y0 = int(e["x"] * k), int(e["y"] * k)
        x1, y1 = int(-(-(e["x"] + e["w"]) * k // 1)), int(-(-(e["y"] + e["h"]) * k // 1))
        line = {"text": e["text"], "x": x0, "y": y0, "width": x1 - x0, "height": y1 - y0,
                "tags": e["tags"].split()}
        if "chars" in e:
            line["chars"] = [[int(a * k), int(-(-b * k // 1))] for a, b in e["chars"]]
        lines.append(line)
    with open(stem + ".json", "w") as f:
        json.dump({"lines": lines}, f, indent=1)
    os.remove(stem + ".html")
    return stem


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    out_dir, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    scale = 2
    if "--scale" in sys.argv:
        scale = int(sys.argv[sys.argv.index("--scale") + 1])
    os.makedirs(out_dir, exist_ok=True)
    rng = random.Random(seed)
    pages = [page(rng) for _ in range(count)]
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for stem in pool.map(lambda i: render(out_dir, i, pages[i], scale), range(count)):
            print(stem)
    return 0


if __name__ == "__main__":
    sys.exit(main())
