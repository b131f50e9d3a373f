"""End-to-end checks of Candlewise as a native Wayland client.

Runs inside its own session bus with no X server (see run_wayland.sh). Starts weston with its
headless back end and, where a scenario wants one, a StatusNotifierItem host, then the program.
A Wayland compositor takes no input from other clients, so the program is driven only through
the accessibility bus: buttons are pressed through their actions and text is set through the
editable-text interface. The session's end is a SIGTERM, as at log-out.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import time

import candlewise_e2e as x11
from candlewise_e2e import (MAIN_TITLE, CheckFailed, Skipped, check, countdown_seconds, descendants,
                            is_showing, log, main_window, name_of, press, role_of, text_of, wait_for)
from gi.repository import Gio, GLib
import pyatspi

HERE = os.path.dirname(os.path.abspath(__file__))
TYPED_NAME = "Zoë O'Neil"


class WaylandSession(x11.Session):
    """The X11 session's program and store helpers, on a compositor instead of an X server."""

    def __init__(self, args):
        x11.Xlib = lambda: None  # no X server here; the X helpers stay unused
        super().__init__(args)
        # The installed program is a link in /usr/bin; its side files are where the link points.
        self.program_dir = os.path.dirname(os.path.realpath(self.program))
        self.socket = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"])
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)

    def start_desktop(self, tray_host=False):
        weston = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--width=1024", "--height=768",
             "--idle-time=0", "--debug", f"--socket={os.environ['WAYLAND_DISPLAY']}",
             f"--log={os.path.join(self.root, 'weston.log')}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.helpers.append(weston)
        wait_for("the compositor's socket", lambda: os.path.exists(self.socket))
        if tray_host:
            self.start_tray_host()

    def start_tray_host(self):
        host = subprocess.Popen([sys.executable, os.path.join(HERE, "sni_host.py")], stdout=subprocess.PIPE, text=True)
        self.helpers.append(host)
        check(host.stdout.readline().strip() == "ready", "a StatusNotifierItem host is on the session bus")
        return host

    def shot(self, name):
        """weston's screenshooter (allowed by --debug) writes into its working folder."""
        os.makedirs(self.shots, exist_ok=True)
        scratch = os.path.join(self.root, "shots")
        os.makedirs(scratch, exist_ok=True)
        try:
            subprocess.run(["weston-screenshooter"], cwd=scratch, timeout=10, capture_output=True)
        except subprocess.TimeoutExpired:
            log("note: the screenshooter did not answer")
        taken = sorted(os.listdir(scratch))
        if not taken:
            return None
        path = os.path.join(self.shots, f"wayland_{self.scenario}-{name}.png")
        shutil.move(os.path.join(scratch, taken[-1]), path)
        for rest in taken[:-1]:
            os.remove(os.path.join(scratch, rest))
        log(f"screenshot {path}")
        return path

    def tray_items(self):
        reply = self.bus.call_sync("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                   "org.freedesktop.DBus.Properties", "Get",
                                   GLib.Variant("(ss)", ("org.kde.StatusNotifierWatcher",
                                                         "RegisteredStatusNotifierItems")),
                                   None, Gio.DBusCallFlags.NONE, 5000, None)
        return reply.unpack()[0]

    def click_tray_item(self, address):
        service, path = address.split("/", 1)
        self.bus.call_sync(service, "/" + path, "org.kde.StatusNotifierItem", "Activate",
                           GLib.Variant("(ii)", (0, 0)), None, Gio.DBusCallFlags.NONE, 5000, None)

    def end_session(self):
        """What log-out does to the session's programs: SIGTERM, then a wait for the end."""
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(timeout=x11.TIMEOUT)
        except subprocess.TimeoutExpired:
            raise CheckFailed("the program still runs after SIGTERM")

    def start_again(self):
        """A second start, as from the menu: it hands over to the running program and ends."""
        second = subprocess.run([self.program], cwd=self.root, capture_output=True, text=True, timeout=30)
        check(second.returncode == 0, "a second start hands over to the running program and ends")

    def window_state(self, title, state):
        window = self.open_window(title)
        return window is not None and window.getState().contains(state)

    def any_window_but(self, titles):
        for i in range(self.app.childCount):
            child = self.app.getChildAtIndex(i)
            if is_showing(child) and name_of(child) not in titles:
                return child
        return None


def set_text(node, text):
    editable = node.queryEditableText()
    editable.setTextContents(text)


def answer_box(s, opened_by, known_titles):
    """Presses a button that opens a message box, checks the box came up and answers it."""
    press(opened_by)
    box = wait_for("a message box", lambda: s.any_window_but(known_titles))
    words = " ".join(text_of(n) or name_of(n) for n in descendants(box) if role_of(n) == "label")
    check(words.strip() != "", f"the message box {name_of(box)!r} shows its text ({words[:60]!r}...)")
    s.shot("message-box")
    press(s.find(box, "push button", "OK"))
    wait_for("the message box to close", lambda: not is_showing(box))


def scenario_alert(s):
    """Start, alert, list, a message box, the editor and the session's end."""
    s.start_desktop()
    today = time.localtime()
    s.seed_store([("Ann Example", today.tm_mon, today.tm_mday), ("Bo Later", (today.tm_mon % 12) + 1, 28)])
    s.start_program()
    alert = s.window("Birthday Alert!")
    text = s.wait_label(alert, "Birthdays due", lambda t: "birthday" in t, "the alert text")
    check(text.strip() == "Ann Example's birthday is today.", f"the alert names the birthday due today: {text!r}")
    s.shot("alert")
    press(s.find(alert, "push button", "OK"))
    wait_for("the alert to close", lambda: not s.open_window("Birthday Alert!"))
    main = main_window(s)
    countdown = s.wait_label(main, "Next birthday", lambda t: t.startswith("You will be reminded"), "the countdown")
    check(countdown_seconds(countdown) is not None, f"the main window counts the snooze down: {countdown!r}")
    table = s.find(main, None, "Birthdays")
    cells = s.table_cells(table)
    check("Ann Example" in cells and "Today" in cells and "Bo Later" in cells, f"the list shows both rows {cells}")
    s.shot("main")

    answer_box(s, s.find(main, "push button", "About the test"), (MAIN_TITLE,))

    press(s.find(main, "push button", "Add Reminder"))
    editor = s.window("Add New Birthday Reminder")
    set_text(s.find(editor, "text", "Person's name"), TYPED_NAME)
    s.shot("editor")
    press(s.find(editor, "push button", "Save New Birthday Reminder"))
    # The editor starts on today's date, so the new birthday is due at once, snooze or not.
    answer_alert(s, TYPED_NAME, "alert-after-save")
    wait_for("the editor to close", lambda: not s.open_window("Add New Birthday Reminder"))
    wait_for("the new row in the store", lambda: any(r[1] == TYPED_NAME for r in s.rows()))
    wait_for("the new row in the list", lambda: TYPED_NAME in s.table_cells(table))
    log("ok: the editor saves a typed name into the store and the list")

    before = s.rows()
    s.end_session()
    check(s.proc.returncode == 0, f"the program ends normally when the session ends (status {s.proc.returncode})")
    check(s.integrity() == "ok" and s.rows() == before, "the store keeps every row and passes the integrity check")
    check(not os.path.exists(s.store + "-journal"), "no journal is left beside the store")


def answer_alert(s, name, shot="alert"):
    alert = s.window("Birthday Alert!")
    text = s.wait_label(alert, "Birthdays due", lambda t: name in t, "the alert text")
    check(f"{name}'s birthday is today." in text, f"the alert names {name}: {text!r}")
    s.shot(shot)
    press(s.find(alert, "push button", "OK"))
    wait_for("the alert to close", lambda: not s.open_window("Birthday Alert!"))


def restart_in_tray(s, due_today=None):
    """Ticks "Start in system tray" and starts the program again, as the next session would."""
    if due_today:
        today = time.localtime()
        s.seed_store([(due_today, today.tm_mon, today.tm_mday)])
    s.start_program()
    if due_today:
        answer_alert(s, due_today)
    press(s.find(main_window(s), "check box", "Start in system tray"))
    wait_for("the option stored", lambda: re.search(r"(?m)^Minimized=On\s*$", read_settings(s)))
    s.end_session()
    s.start_program()


def read_settings(s):
    try:
        with open(os.path.join(os.environ["XDG_CONFIG_HOME"], "Marrowfen.ini"), encoding="utf-8") as f:
            return f.read()
    except OSError:
        return ""


def scenario_tray(s):
    """A tray host that starts after the program: the window started in the tray waits minimised and
    moves into the tray when the host comes; a due birthday's alert still comes up, a click on the
    item brings the window back, and a restarted host gets the item again."""
    s.start_desktop()
    restart_in_tray(s, due_today="Di Tray")
    answer_alert(s, "Di Tray")
    check(s.open_window(MAIN_TITLE) is not None, "with no tray yet the main window is not hidden")
    host = s.start_tray_host()
    items = wait_for("the program's item in the tray host", s.tray_items)
    check(len(items) == 1, f"one item is registered with the tray host {items}")
    wait_for("the main window moved into the tray", lambda: s.open_window(MAIN_TITLE) is None)
    s.shot("in-tray")
    s.click_tray_item(items[0])
    main = wait_for("the main window back after a click on the item", lambda: s.open_window(MAIN_TITLE))
    check(not main.getState().contains(pyatspi.STATE_ICONIFIED), "the window comes back un-minimised")
    s.shot("restored")
    host.kill()
    host.wait()
    s.start_tray_host()
    check(len(wait_for("the item in the restarted tray host", s.tray_items)) == 1, "the item is registered again")
    s.end_session()
    check(s.proc.returncode == 0, "the program ends normally when the session ends")


def scenario_no_tray(s):
    """Without a tray host the program starts minimised, not hidden; a due birthday's alert still
    comes up on its own, and starting the program again brings the window back."""
    s.start_desktop()
    restart_in_tray(s, due_today="Cy Minimised")
    answer_alert(s, "Cy Minimised")
    check(s.open_window(MAIN_TITLE) is not None, "with no tray the main window is not hidden (it stays minimised)")
    s.shot("minimised")
    s.start_again()
    check(s.open_window(MAIN_TITLE) is not None, "the window is there after a second start")
    s.shot("restored")
    s.end_session()
    check(s.proc.returncode == 0, "the program ends normally when the session ends")


SCENARIOS = {"alert": scenario_alert, "tray": scenario_tray, "no_tray": scenario_no_tray,
             "notify": lambda s: x11.scenario_notify(s, 2, "Next birthday is in Ann Example")}


def main():
    return x11.run_main(SCENARIOS, WaylandSession, label="wayland ")


if __name__ == "__main__":
    sys.exit(main())
