"""The Wine virtual desktop seen and driven from outside: real pointer and key input
through xdotool, screenshots of the X root window, and the Windows-side helpers
(wininfo, chipctl, reg) run under the build's Wine prefix.

Used by the end-to-end suite (tests/e2e/e2e.py) and scripts/screenshots. Every wait is a
poll with a deadline; the only fixed pauses are the input pacing that Wine needs between
a pointer move and a click.
"""
import io
import os
import re
import subprocess
import tempfile
import time

from PIL import Image

PROGRAM = "Aurelon3D.exe"
MAIN_CLASS = "Aurelon3DAudioControl"
PANEL_TITLES = ("Aurelon SRS 3D Audio", "Aurelon QSound 3D Audio")
NOTICE_TITLE = "Aurelon 3D Audio Control"
ABOUT_TITLE = "About Aurelon 3D Audio"
DESCRIPTION_TITLE = "Change Description"
PRESET_IDS = {1: 1018, 2: 1017, 3: 1016}
ID_CENTER, ID_SPACE, ID_ENABLED = 1001, 1002, 1019
POINTER_SETTLE = 0.3
WINE_START_FAILURE = "failed to map the shared user data"
MAX_START_RETRIES = 3


class Timeout(AssertionError):
    pass


def poll(cond, what, timeout=10.0, interval=0.1):
    """Returns cond()'s first true answer; fails with `what` when the time is up."""
    deadline = time.monotonic() + timeout
    while True:
        value = cond()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout("timed out waiting for " + what)
        time.sleep(interval)


class Window:
    def __init__(self, fields):
        self.handle = int(fields[0], 16)
        self.owner = int(fields[1])  # process id of a top-level window, id of a child
        self.visible = fields[2] == "1"
        self.left, self.top, self.right, self.bottom = (int(v) for v in fields[3:7])
        self.cls = fields[7]
        self.text = fields[8] if len(fields) > 8 else ""

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    @property
    def center(self):
        return ((self.left + self.right) // 2, (self.top + self.bottom) // 2)

    def box(self):
        return (self.left, self.top, self.right, self.bottom)

    def __repr__(self):
        return "<%s %r %s %s>" % (self.cls, self.text, self.box(), "visible" if self.visible else "hidden")


class Desktop:
    def __init__(self, bindir):
        self.bindir = os.path.abspath(bindir)
        for name in ("WINEPREFIX", "AURELON_WINE_HOME", "DISPLAY"):
            if not os.environ.get(name):
                raise RuntimeError("%s is not set: source scripts/lib/wine.sh and run wine_env/wine_start" % name)
        self.env = dict(os.environ)
        self.start_retries = 0
        self.env["HOME"] = os.environ["AURELON_WINE_HOME"]
        self.env["AURELON_MIXER_DRIVER"] = self.winpath(os.path.join(self.bindir, "chipsim.dll"))
        # Wine's own report of a process that it could not set up is kept (see wine()).
        self.env["WINEDEBUG"] = os.environ.get("WINEDEBUG", "-all") + ",err+virtual"
        self.env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml,winemenubuilder.exe=d")
        # The program's own diagnostics (Wine's heap checks among them), kept for the end.
        self.program_log = tempfile.TemporaryFile()

    # Windows side -------------------------------------------------------------------

    @staticmethod
    def winpath(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def wine(self, *args, timeout=60, check=True):
        # Now and then a new Wine process cannot map its shared user data at the fixed
        # address and ends before the program runs; the same start a moment later succeeds.
        while True:
            result = self.wine_once(args, timeout)
            if WINE_START_FAILURE not in result.stderr:
                break
            self.count_start_retry("wine " + " ".join(args))
            time.sleep(0.2)
        if check and result.returncode != 0:
            raise AssertionError("wine %s failed (%d): %s" % (" ".join(args), result.returncode, result.stderr))
        return result

    def count_start_retry(self, what):
        """A start that Wine could not set up is made again, at most MAX_START_RETRIES times a run."""
        self.start_retries += 1
        print("retry %d of %d in this run: Wine could not set up %s" % (self.start_retries, MAX_START_RETRIES, what),
              flush=True)
        if self.start_retries > MAX_START_RETRIES:
            raise AssertionError("Wine failed more than %d starts in this run" % MAX_START_RETRIES)

    def wine_once(self, args, timeout):
        # Files, not pipes: a first wine call may start the desktop's explorer, which
        # inherits the output handles and would keep a pipe open until it ends.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(["wine"] + list(args), env=self.env, stdout=out, stderr=err,
                                  stdin=subprocess.DEVNULL, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(args, code, out.read().decode(errors="replace"),
                                               err.read().decode(errors="replace"))

    def tool(self, name, *args, check=True):
        return self.wine(os.path.join(self.bindir, name), *args, check=check).stdout

    def chip(self, *args):
        return self.tool("chipctl.exe", *args)

    def chip_value(self, control):
        return int(self.chip("get", control).split()[0])

    def chip_step(self, control_id):
        """Mixer units per slider position: the control's maximum over its last position."""
        match = re.search(r"control %d \w+\s+fader\s+value \d+ \(range 0\.\.(\d+), (\d+) steps\)" % control_id,
                          self.chip("show"))
        maximum, steps = int(match.group(1)), int(match.group(2))
        return maximum // (steps - 1)

    def windows(self, cls=None, title=None):
        out = self.tool("wininfo.exe", "windows", cls or "-", title or "-")
        return [Window(line.split("\t")) for line in out.splitlines() if line.strip()]

    def children(self, window):
        out = self.tool("wininfo.exe", "children", hex(window.handle))
        return {w.owner: w for w in (Window(line.split("\t")) for line in out.splitlines() if line.strip())}

    def screen_size(self):
        return tuple(int(v) for v in self.tool("wininfo.exe", "screen").split())

    def cursor(self):
        return tuple(int(v) for v in self.tool("wininfo.exe", "cursor").split())

    def foreground(self):
        return int(self.tool("wininfo.exe", "foreground"), 16)

    def reg_query(self, key):
        """The values of a key as {name: (type, data)}; None if the key is missing."""
        result = self.wine("reg", "query", key, check=False)
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.splitlines():
            parts = re.split(r"\s{2,}|\t", line.strip(), maxsplit=2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return values

    def reg_delete(self, key):
        self.wine("reg", "delete", key, "/f", check=False)

    def reg_import(self, path):
        self.wine("regedit", "/S", self.winpath(path))

    def start_program(self, *args):
        # A start that Wine could not set up ends at once with its report in the log
        # (see wine()); it is made again.
        log = self.program_log.fileno()
        while True:
            before = os.fstat(log).st_size
            process = subprocess.Popen(["wine", os.path.join(self.bindir, PROGRAM)] + list(args), env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=self.program_log)
            try:
                process.wait(timeout=0.5)
            except subprocess.TimeoutExpired:
                break
            if WINE_START_FAILURE.encode() not in os.pread(log, os.fstat(log).st_size - before, before):
                break
            self.count_start_retry(PROGRAM)
        return process

    def program_heap_reports(self):
        """Lines in which Wine's heap checks reported a fault of the program."""
        self.program_log.seek(0)
        text = self.program_log.read().decode("utf-8", "replace")
        return [line for line in text.splitlines() if "err:heap" in line or "warn:heap" in line]

    def start_other(self):
        """Starts another program (Wine's Notepad); returns its window class."""
        self.other = subprocess.Popen(["wine", "notepad"], env=self.env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return "Notepad"

    def stop_other(self):
        for window in self.windows("Notepad"):
            self.tool("wininfo.exe", "post", hex(window.handle), "0x10", "0", "0", check=False)
        self.other.wait(timeout=15)

    def panel(self):
        # In another language the title is the program's translation (read here in this
        # process's code page); the technology's name starts it in every language.
        found = [w for w in self.windows("#32770") if w.text in PANEL_TITLES or w.text.startswith("Aurelon SRS ")]
        return found[0] if found else None

    def dialog(self, title):
        found = [w for w in self.windows("#32770", title) if w.visible]
        return found[0] if found else None

    def menu(self):
        found = [w for w in self.windows("#32768") if w.visible]
        return found[0] if found else None

    def tooltip(self):
        found = [w for w in self.windows("tooltips_class32") if w.visible and w.width > 0]
        return found[0] if found else None

    def taskbar(self):
        return poll(lambda: next(iter(self.windows("Shell_TrayWnd")), None), "the task bar")

    # X side -------------------------------------------------------------------------

    def screenshot(self):
        data = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True,
                              timeout=30).stdout
        return Image.open(io.BytesIO(data)).convert("RGB")

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=30)

    def move(self, x, y):
        """Moves the pointer; a click that follows lands where Wine sees the pointer."""
        self.xdotool("mousemove", x, y)
        poll(lambda: self.cursor() == (x, y), "Wine to see the pointer at %d,%d" % (x, y))
        time.sleep(POINTER_SETTLE)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("click", button)

    def drag(self, start, end):
        self.move(*start)
        self.xdotool("mousedown", 1)
        time.sleep(0.1)
        steps = 8
        for i in range(1, steps + 1):
            self.xdotool("mousemove", start[0] + (end[0] - start[0]) * i // steps,
                         start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(0.05)
        time.sleep(0.1)
        self.xdotool("mouseup", 1)

    def key(self, *keys):
        for k in keys:
            self.xdotool("key", k)
            time.sleep(0.05)

    def type(self, text):
        self.xdotool("type", "--delay", 60, text)

    # Pictures -----------------------------------------------------------------------

    def tray_icon(self, image=None):
        """The bounding box of the icon in the notification area, found by its colours:
        the rightmost group of saturated pixels on the task bar."""
        bar = self.taskbar()
        image = image or self.screenshot()
        hits = []
        for y in range(bar.top, bar.bottom):
            for x in range(max(bar.left, bar.right - 160), bar.right):
                r, g, b = image.getpixel((x, y))
                if max(r, g, b) - min(r, g, b) > 80:
                    hits.append((x, y))
        if not hits:
            return None
        right = max(x for x, _ in hits)
        group = [(x, y) for x, y in hits if x > right - 20]
        return (min(x for x, _ in group), min(y for _, y in group),
                right + 1, max(y for _, y in group) + 1)

    def wait_tray_icon(self):
        return poll(lambda: self.tray_icon(), "the tray icon", timeout=20, interval=0.3)

    def tray_click(self, button, effect, what):
        """Clicks the tray icon once and waits for the effect."""
        box = self.wait_tray_icon()
        self.click((box[0] + box[2]) // 2, (box[1] + box[3]) // 2, button)
        return poll(effect, what)

    def open_panel(self):
        return self.tray_click(1, lambda: (lambda p: p if p and p.visible else None)(self.panel()),
                               "the panel after a left click on the tray icon")

    def open_tray_menu(self):
        return self.tray_click(3, self.menu, "the tray menu after a right click on the tray icon")

    def choose(self, menu, index, expected_items):
        """Clicks the index-th text item of an open popup menu."""
        items = poll(lambda: (lambda i: i if len(i) == expected_items else None)(menu_items(self.screenshot(), menu)),
                     "%d items in the menu" % expected_items, timeout=5)
        self.click(*items[index])


def menu_items(image, menu):
    """The centres of a popup menu's text items, top to bottom, found by their dark text
    rows (separators are grey etched lines and stay out)."""
    rows = []
    for y in range(menu.top + 2, menu.bottom - 2):
        if any(max(image.getpixel((x, y))) < 60 for x in range(menu.left + 3, menu.right - 3)):
            rows.append(y)
    bands = []
    for y in rows:
        if bands and y - bands[-1][1] <= 3:
            bands[-1][1] = y
        else:
            bands.append([y, y])
    return [((menu.left + menu.right) // 2, (top + bottom) // 2) for top, bottom in bands]


def count_colour(image, box, kind):
    """Pixels of a lamp colour inside a box: strong green, strong red or grey."""
    n = 0
    region = image.crop(box)
    for r, g, b in region.getdata():
        if kind == "green" and g > 150 and r < 120 and b < 120:
            n += 1
        elif kind == "red" and r > 150 and g < 100 and b < 100:
            n += 1
    return n


def lamp(image, button):
    """'green', 'red' or None: the colour that dominates the button's lamp."""
    green = count_colour(image, button.box(), "green")
    red = count_colour(image, button.box(), "red")
    if max(green, red) < 6:
        return None
    return "green" if green > red else "red"
