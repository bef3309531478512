#!/usr/bin/python3
"""Takes the pictures of docs/images: the program inside the Wine virtual desktop with the
simulated chip, driven with real input, each picture cropped to its window.

usage: screenshots.py BIN_DIR OUT_DIR FACTORY_REG   (environment as for e2e.py)
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import (Desktop, ABOUT_TITLE, DESCRIPTION_TITLE, NOTICE_TITLE, MAIN_CLASS,  # noqa: E402
                     PRESET_IDS, lamp, poll)


class Camera:
    def __init__(self, bindir, outdir, factory):
        self.d = Desktop(bindir)
        self.outdir = outdir
        self.factory = factory
        self.taken = []

    def save(self, name, window, margin=0):
        image = self.d.screenshot()
        width, height = image.size
        box = (max(0, window.left - margin), max(0, window.top - margin),
               min(width, window.right + margin), min(height, window.bottom + margin))
        path = os.path.join(self.outdir, name)
        image.crop(box).save(path, optimize=True)
        self.taken.append(path)

    def visible_panel(self):
        panel = self.d.panel()
        return panel if panel and panel.visible else None

    def start(self):
        for _ in range(3):
            if not self.d.windows(MAIN_CLASS):
                break
            self.d.tool("wininfo.exe", "exit", check=False)
        process = self.d.start_program()
        poll(self.d.panel, "the program's panel", timeout=20)
        self.d.wait_tray_icon()
        return process

    def stop(self, process):
        self.d.tool("wininfo.exe", "exit")
        process.wait(timeout=15)

    def srs(self):
        process = self.start()
        panel = self.d.open_panel()
        self.d.move(panel.left - 40, panel.top - 40)  # no tooltips in the picture
        self.save("panel-srs.png", panel)
        button = self.d.children(panel)[PRESET_IDS[2]]
        self.d.click(*button.center)
        poll(lambda: lamp(self.d.screenshot(), button) == "green", "the lit lamp")
        self.d.move(panel.left - 40, panel.top - 40)
        self.save("panel-srs-preset.png", panel)

        self.d.click(*button.center, button=3)
        menu = poll(self.d.menu, "the preset menu")
        self.save("preset-menu.png", menu)
        self.d.key("c")
        dialog = poll(lambda: self.d.dialog(DESCRIPTION_TITLE), "the Change Description dialog")
        self.save("change-description.png", dialog)
        self.d.key("Escape")
        poll(lambda: self.d.dialog(DESCRIPTION_TITLE) is None, "the dialog to close")

        menu = self.d.open_tray_menu()
        self.d.move(menu.left - 30, menu.top)  # off the icon: its tip goes away
        poll(lambda: self.d.tooltip() is None, "the tray tip to hide")
        self.save("tray-menu.png", menu)
        self.d.choose(menu, 1, 3)
        about = poll(lambda: self.d.dialog(ABOUT_TITLE), "the About box")
        self.save("about.png", about)
        self.d.click(*self.d.children(about)[1].center)
        poll(lambda: self.d.dialog(ABOUT_TITLE) is None, "the About box to close")

        second = self.d.start_program()
        notice = poll(lambda: self.d.dialog(NOTICE_TITLE), "the notice", timeout=20)
        self.save("notice.png", notice)
        self.d.click(*self.d.children(notice)[1].center)
        second.wait(timeout=15)

        self.d.open_panel()
        self.d.chip("unplug")
        panel = poll(self.visible_panel, "the panel")
        buttons = self.d.children(panel)
        poll(lambda: all(lamp(self.d.screenshot(), buttons[i]) is None for i in PRESET_IDS.values()),
             "grey lamps after the unplug")
        self.d.move(panel.left - 40, panel.top - 40)
        self.save("panel-unplugged.png", panel)
        self.d.chip("plug")
        self.stop(process)

    def srs_at_dpi(self, dpi):
        """The panel as a user with larger fonts (Windows XP) or a sharper screen sees it."""
        desktop = r"HKCU\Control Panel\Desktop"
        self.d.wine("reg", "add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi),
                    "/f")
        try:
            process = self.start()
            panel = self.d.open_panel()
            self.d.move(panel.left - 40, panel.top - 40)
            self.save("panel-srs-%d.png" % dpi, panel)
            self.stop(process)
        finally:
            self.d.wine("reg", "delete", desktop, "/v", "LogPixels", "/f", check=False)

    def qsound(self):
        # The chip's state lives while a process holds it: hold it, then choose the layout.
        said = tempfile.TemporaryFile()
        hold = subprocess.Popen(["wine", os.path.join(self.d.bindir, "chipctl.exe"), "hold"], env=self.d.env,
                                stdout=said, stderr=subprocess.DEVNULL)
        try:
            poll(lambda: os.pread(said.fileno(), 100, 0).startswith(b"holding"), "the holding process")
            self.d.chip("layout", "qsound")
            process = self.start()
            panel = self.d.open_panel()
            self.d.move(panel.left - 40, panel.top - 40)
            self.save("panel-qsound.png", panel)
            self.stop(process)
        finally:
            hold.kill()
            hold.wait(timeout=15)

    def language(self, name, locale):
        """The panel and the About box in another language: Wine picks the program's
        resources and code page by LC_ALL (the locales of scripts/lib/wine.sh)."""
        saved = dict(self.d.env)
        self.d.env.update(LC_ALL=locale, LOCPATH=os.environ["AURELON_LOCPATH"])
        process = self.start()
        panel = self.d.open_panel()
        self.d.move(panel.left - 40, panel.top - 40)
        self.save("panel-%s.png" % name, panel)
        self.d.choose(self.d.open_tray_menu(), 1, 3)
        self.save("about-%s.png" % name, poll(lambda: next(
            (w for w in self.d.windows("#32770") if w.visible and w.handle != panel.handle), None), "the About box"))
        self.d.key("Escape")
        self.stop(process)
        self.d.env = saved

    def run(self):
        os.makedirs(self.outdir, exist_ok=True)
        self.d.reg_delete(r"HKCU\Software\Aurelon")
        self.d.reg_delete(r"HKLM\Software\Aurelon")
        self.d.reg_import(self.factory)
        self.srs()
        self.srs_at_dpi(144)
        self.qsound()
        self.language("de", "de_DE.UTF-8")
        self.language("ja", "ja_JP.UTF-8")
        for path in self.taken:
            print(path)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    Camera(*sys.argv[1:]).run()
