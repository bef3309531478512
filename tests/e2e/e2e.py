#!/usr/bin/python3
"""End-to-end suite: the real program inside the Wine virtual desktop, with the simulated
chip, driven only by real pointer and key input (xdotool). Results are read from
screenshots, the chip (chipctl), the registry (wine reg) and window rectangles (wininfo).

usage: e2e.py BIN_DIR   (needs DISPLAY, WINEPREFIX and AURELON_WINE_HOME; see scripts/lib/wine.sh)
"""
import os
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import (Desktop, ID_CENTER, ID_ENABLED, ID_SPACE, PRESET_IDS, ABOUT_TITLE,  # noqa: E402
                     DESCRIPTION_TITLE, NOTICE_TITLE, MAIN_CLASS, Timeout, lamp, poll)

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FACTORY = os.path.join(TOP, "tools", "factory-presets.reg")
USER_KEY = r"HKCU\Software\Aurelon"
MACHINE_KEY = r"HKLM\Software\Aurelon"


def check(cond, message):
    if not cond:
        raise AssertionError(message)


class Suite:
    def __init__(self, bindir):
        self.d = Desktop(bindir)
        self.process = None
        self.failures = []

    # Program life ---------------------------------------------------------------------

    def end_leftovers(self):
        for _ in range(3):
            if not self.d.windows(MAIN_CLASS):
                return
            self.d.tool("wininfo.exe", "exit", check=False)
        raise AssertionError("an earlier instance of the program does not end")

    def start(self):
        self.process = self.d.start_program()
        poll(lambda: self.d.panel(), "the program's panel", timeout=20)
        return self.d.wait_tray_icon()

    def visible_panel(self):
        panel = self.d.panel()
        return panel if panel and panel.visible else None

    def panel_hidden(self):
        panel = self.d.panel()
        return panel is not None and not panel.visible

    def controls(self):
        return self.d.children(poll(self.visible_panel, "the visible panel"))

    def fresh_registry(self):
        self.d.reg_delete(USER_KEY)
        self.d.reg_delete(MACHINE_KEY)
        self.d.reg_import(FACTORY)

    # Cases ----------------------------------------------------------------------------

    def case_panel_placement(self):
        cx, cy = self.d.screen_size()
        panel = self.d.open_panel()
        px, py = self.d.cursor()
        # The tray sits at the bottom right: the panel opens to the left of the pointer
        # and flush with the bottom of the screen.
        check(px + panel.width > cx, "pointer %d,%d is not near the right edge" % (px, py))
        check(panel.right == px and panel.left == px - panel.width,
              "panel %s is not to the left of the pointer %d,%d" % (panel.box(), px, py))
        check(py + panel.height > cy and panel.bottom == cy,
              "panel %s is not flush with the bottom %d" % (panel.box(), cy))

    def case_presets_light_and_set_chip(self):
        step_center, step_space = self.d.chip_step(39), self.d.chip_step(38)
        buttons = {n: c for n, c in ((n, self.controls()[i]) for n, i in PRESET_IDS.items())}
        shot = self.d.screenshot()
        check(all(lamp(shot, b) == "red" for b in buttons.values()), "the lamps are not all red at first")
        for number, (center, space) in ((2, (10, 12)), (3, (15, 15)), (1, (4, 3))):
            self.d.click(*buttons[number].center)
            poll(lambda: self.d.chip_value("center") == center * step_center
                 and self.d.chip_value("space") == space * step_space,
                 "the chip at preset %d's levels %d/%d" % (number, center, space))
            shot = poll(lambda: (lambda s: s if lamp(s, buttons[number]) == "green" else None)(self.d.screenshot()),
                        "a green lamp on button %d" % number)
            others = [n for n in buttons if n != number]
            check(all(lamp(shot, buttons[n]) == "red" for n in others),
                  "another lamp than %d is not red" % number)

    def case_slider_drag_and_keys(self):
        step = self.d.chip_step(39)
        controls = self.controls()
        slider, button1 = controls[ID_CENTER], controls[PRESET_IDS[1]]
        thumb = find_thumb(self.d.screenshot(), slider)
        check(thumb is not None, "no thumb found on the Center slider")
        before = self.d.chip_value("center")
        self.d.drag(thumb, (slider.right + 20, thumb[1]))
        poll(lambda: self.d.chip_value("center") == 15 * step, "the chip's Center at the end after a drag")
        check(before != 15 * step, "the drag did not change anything")
        poll(lambda: lamp(self.d.screenshot(), button1) == "red", "preset 1 deselected by the drag")
        self.d.key("Left", "Left", "Left")
        poll(lambda: self.d.chip_value("center") == 12 * step, "the chip's Center 3 steps lower after Left keys")
        self.d.key("Home")
        poll(lambda: self.d.chip_value("center") == 0, "the chip's Center at 0 after Home")
        space = self.controls()[ID_SPACE]
        self.d.click(*find_thumb(self.d.screenshot(), space))
        self.d.key("Right")
        poll(lambda: self.d.chip_value("space") == 4 * self.d.chip_step(38), "the chip's Space one step up")

    def case_enabled_mutes(self):
        icon_box = self.d.wait_tray_icon()
        icon_on = self.d.screenshot().crop(icon_box)
        enabled = self.controls()[ID_ENABLED]
        check(self.d.chip_value("mute") == 0, "the effect is muted at first")
        self.d.click(enabled.left + 6, enabled.center[1])
        poll(lambda: self.d.chip_value("mute") == 1, "the chip muted by the Enabled box")
        poll(lambda: self.d.screenshot().crop(icon_box).tobytes() != icon_on.tobytes(),
             "another tray picture while muted")
        self.d.click(enabled.left + 6, enabled.center[1])
        poll(lambda: self.d.chip_value("mute") == 0, "the chip unmuted by the Enabled box")
        poll(lambda: self.d.screenshot().crop(icon_box).tobytes() == icon_on.tobytes(),
             "the first tray picture back")

    def tip_over(self, button):
        self.d.move(button.left - 40, button.top - 30)
        self.d.move(*button.center)
        tip = poll(self.d.tooltip, "a tooltip over the button")
        return tip.text

    def case_description_tooltip(self):
        button = self.controls()[PRESET_IDS[2]]
        check(self.tip_over(button) == "Concert hall", "the tooltip of preset 2 is not its description")
        self.d.click(*button.center, button=3)
        poll(self.d.menu, "the preset menu")
        self.d.key("c")
        poll(lambda: self.d.dialog(DESCRIPTION_TITLE), "the Change Description dialog")
        self.d.key("ctrl+a", "BackSpace")
        self.d.type("Opera house")
        self.d.key("Return")
        poll(lambda: self.d.dialog(DESCRIPTION_TITLE) is None, "the dialog to close")
        button = self.controls()[PRESET_IDS[2]]
        poll(lambda: self.tip_over(button) == "Opera house", "the new tooltip", timeout=15)

    def case_keys_and_other_window_hide(self):
        # Enter and Escape hide the panel and leave the levels as they are, right after a tray
        # click (the focus on preset button 1) and after a click on a preset that moves the
        # chip. The key is pressed once the panel is the foreground window, where Wine sends
        # the keyboard, and the click has reached the program.
        step_center, step_space = self.d.chip_step(39), self.d.chip_step(38)
        for key, clicked, (center, space) in (("Escape", 2, (10, 12)), ("Return", 3, (15, 15))):
            for preset in (None, clicked):
                panel = self.d.open_panel()
                if preset:
                    self.d.click(*self.controls()[PRESET_IDS[preset]].center)
                    poll(lambda: (self.d.chip_value("center"), self.d.chip_value("space")) ==
                         (center * step_center, space * step_space), "the chip at preset %d's levels" % preset)
                levels = (self.d.chip_value("center"), self.d.chip_value("space"))
                poll(lambda: self.d.foreground() == panel.handle, "the panel in the foreground")
                self.d.key(key)
                what = "%s after %s" % (key, "a click on preset %d" % preset if preset else "a tray click")
                poll(self.panel_hidden, "the panel hidden by " + what)
                check((self.d.chip_value("center"), self.d.chip_value("space")) == levels,
                      "the levels changed by " + what)
        other = self.d.start_other()
        try:
            self.d.open_panel()
            window = poll(lambda: next((w for w in self.d.windows(other) if w.visible), None),
                          "the other program's window")
            self.d.click(window.left + 30, window.top + 60)
            poll(self.panel_hidden, "the panel hidden by a click on another program")
        finally:
            self.d.stop_other()

    def case_about_blocks_tray(self):
        self.d.open_panel()
        menu = self.d.open_tray_menu()
        check(self.panel_hidden(), "the panel is still shown with the tray menu")
        self.d.choose(menu, 1, 3)
        about = poll(lambda: self.d.dialog(ABOUT_TITLE), "the About box")
        box = self.d.wait_tray_icon()
        # Two single clicks (one may be lost), further apart than a double click, which
        # would show the panel even now.
        for _ in range(2):
            self.d.click((box[0] + box[2]) // 2, (box[1] + box[3]) // 2)
            self.d.move(box[0] - 60, box[1] - 60)
            time.sleep(0.7)
        time.sleep(0.5)  # a panel would have opened by now; it must not
        check(self.panel_hidden(), "a tray click opened the panel while the About box is open")
        ok = self.d.children(about)[1]
        self.d.click(*ok.center)
        poll(lambda: self.d.dialog(ABOUT_TITLE) is None, "the About box to close")
        self.d.open_panel()

    def case_driver_reload_rebinds(self):
        # Windows 2000 and XP announce a reloaded driver only with DBT_DEVNODES_CHANGED, and
        # the handles from before stay dead: the panel binds the new driver by itself.
        self.d.chip("layout", "srs", "nt")
        self.d.chip("broadcast", "devnodes-changed")
        poll(lambda: "handle " in self.d.chip("show"), "the panel's handle on the reloaded driver")
        self.d.open_panel()
        enabled = self.controls()[ID_ENABLED]
        for mute in (1, 0):
            self.d.click(enabled.left + 6, enabled.center[1])
            poll(lambda: self.d.chip_value("mute") == mute, "the reloaded chip's mute at %d" % mute)

    def case_exit_writes_presets(self):
        self.d.choose(self.d.open_tray_menu(), 2, 3)
        poll(lambda: self.process.poll() is not None, "the program's end", timeout=15)
        check(self.process.returncode == 0, "exit code %s" % self.process.returncode)
        check(not self.d.windows(MAIN_CLASS), "the main window is still there")
        # Only the preset the user changed has a key of his own: the others stay the factory's.
        for n in (1, 3):
            check(self.d.reg_query(r"%s\Morvane\Preset%d" % (USER_KEY, n)) is None,
                  "an unchanged preset written: Preset%d" % n)
        expected = {2: (10, 12, "Opera house")}
        for n, (center, space, text) in expected.items():
            values = self.d.reg_query(r"%s\Morvane\Preset%d" % (USER_KEY, n))
            check(values is not None, "no user key Preset%d" % n)
            check(values.get("Center") == ("REG_DWORD", hex(center)) and
                  values.get("Space") == ("REG_DWORD", hex(space)) and
                  values.get("Description") == ("REG_SZ", text),
                  "Preset%d written as %s" % (n, values))

    def case_second_start_notice(self):
        self.start()
        second = self.d.start_program()
        notice = poll(lambda: self.d.dialog(NOTICE_TITLE), "the already-running notice", timeout=20)
        check(second.poll() is None, "the second process ended before the notice was dismissed")
        ok = self.d.children(notice)[1]
        self.d.click(*ok.center)
        poll(lambda: second.poll() is not None, "the second process's end")
        check(self.d.dialog(NOTICE_TITLE) is None, "the notice is still shown")
        check(len(self.d.windows(MAIN_CLASS)) == 1, "not exactly one instance left")
        check(self.process.poll() is None, "the first instance ended")

    # Running --------------------------------------------------------------------------

    def run(self):
        self.end_leftovers()
        self.fresh_registry()
        self.start()
        cases = [self.case_panel_placement, self.case_presets_light_and_set_chip,
                 self.case_slider_drag_and_keys, self.case_enabled_mutes,
                 self.case_description_tooltip, self.case_keys_and_other_window_hide,
                 self.case_about_blocks_tray, self.case_driver_reload_rebinds, self.case_exit_writes_presets,
                 self.case_second_start_notice]
        for case in cases:
            name = case.__name__[len("case_"):]
            started = time.monotonic()
            try:
                case()
                print("PASS %-32s %.1fs" % (name, time.monotonic() - started), flush=True)
            except Exception:
                self.failures.append(name)
                picture = os.path.join(self.d.bindir, "e2e-failed-%s.png" % name)
                self.d.screenshot().save(picture)
                print("FAIL %s (the screen: %s)\n%s" % (name, picture, traceback.format_exc()), flush=True)
                self.d.key("Escape")
        self.end_leftovers()
        if self.process is not None and self.process.poll() is None:
            self.process.wait(timeout=15)
        heap_reports = self.d.program_heap_reports()
        if heap_reports:
            self.failures.append("heap")
            print("FAIL heap\n" + "\n".join(heap_reports), flush=True)
        return 1 if self.failures else 0


def find_thumb(image, slider):
    """The centre of a trackbar's thumb: the only part that reaches the slider's top rows."""
    background = image.getpixel((slider.left + 1, slider.top + 1))
    columns = [x for x in range(slider.left, slider.right)
               if any(image.getpixel((x, y)) != background for y in range(slider.top + 1, slider.top + 4))]
    if not columns:
        return None
    return ((min(columns) + max(columns)) // 2, (slider.top + slider.bottom) // 2)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(Suite(sys.argv[1]).run())
