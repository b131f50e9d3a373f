"""End-to-end checks of the built Candlewise program.

Runs inside its own X server and session bus (see run_e2e.sh). Starts a window manager and a
tray host, then the program, and drives it the way a person or a screen reader would: controls
are found through the accessibility bus by role and name, buttons pressed through their actions,
texts typed and keys pressed with xdotool. Outcomes are checked in the live store file and on
screen. Every check waits with a timeout instead of sleeping for a fixed time.
"""

import argparse
import ctypes
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import time
import traceback

import pyatspi
from gi.repository import Atspi

TIMEOUT = 15.0
MAIN_TITLE = "Candlewise Software"
STORE_PARTS = ("Marrowfen", "Candlewise Software", "dbData.mdb")
# The name typed into the editor: its "ë" proves that typed text reaches the store as UTF-8.
TYPED_NAME = "Zoë O'Neil"


class CheckFailed(Exception):
    pass


class Skipped(Exception):
    pass


def log(message):
    print(f"[{time.strftime('%H:%M:%S')}] {message}", flush=True)


def wait_for(what, probe, timeout=TIMEOUT, interval=0.1):
    """Polls probe() until it returns something truthy; fails with `what` after the timeout."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except Exception as error:  # the tree changes under us while windows come and go
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error!r})" if last_error else ""
            raise CheckFailed(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(interval)


def check(condition, message):
    if not condition:
        raise CheckFailed(message)
    log(f"ok: {message}")


def run(*command, check_status=True):
    result = subprocess.run(command, capture_output=True, text=True, timeout=30)
    if check_status and result.returncode != 0:
        raise CheckFailed(f"{' '.join(command)} failed: {result.stderr.strip()}")
    return result.stdout


# ---------------------------------------------------------------- X server helpers

class Xlib:
    """The two Xlib calls the checks need, without any extra Python package."""

    def __init__(self):
        self.lib = ctypes.CDLL("libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XInternAtom.restype = ctypes.c_ulong
        self.lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.lib.XGetSelectionOwner.restype = ctypes.c_ulong
        self.lib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.display = self.lib.XOpenDisplay(None)
        if not self.display:
            raise CheckFailed("cannot open the X display")

    def close_window(self, window):
        """Asks the window manager to close the window (_NET_CLOSE_WINDOW), as a panel's Close does: it
        sends the window the same request as its close box. A key press would depend on no other
        client holding the keyboard at that moment."""
        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                        ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                        ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 24)]  # as large as an XEvent
        self.lib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                        ctypes.c_void_p]
        close = self.lib.XInternAtom(self.display, b"_NET_CLOSE_WINDOW", 0)
        event = ClientMessage(type=33, window=window, message_type=close, format=32)  # 33: ClientMessage
        event.data[1] = 2  # from a pager or task bar, which the window manager obeys
        substructure = (1 << 19) | (1 << 20)
        self.lib.XSendEvent(self.display, self.lib.XDefaultRootWindow(self.display), 0, substructure,
                            ctypes.byref(event))
        self.lib.XFlush(self.display)

    def selection_owner(self, name):
        atom = self.lib.XInternAtom(self.display, name.encode(), 0)
        return self.lib.XGetSelectionOwner(self.display, atom)

    def bind_characters(self, characters):
        """Gives each character a key of its own on spare keycodes, before the program starts.

        xdotool types a character that has no key by binding one for a moment and unbinding it
        straight after; a program that reads the new keymap late gets the old one and drops the
        character. With a real key there is nothing to race."""
        first, last = ctypes.c_int(), ctypes.c_int()
        self.lib.XDisplayKeycodes(self.display, ctypes.byref(first), ctypes.byref(last))
        count = last.value - first.value + 1
        per = ctypes.c_int()
        self.lib.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        self.lib.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                                 ctypes.POINTER(ctypes.c_int)]
        table = self.lib.XGetKeyboardMapping(self.display, first.value, count, ctypes.byref(per))
        spare = [first.value + i for i in range(count)
                 if all(table[i * per.value + j] == 0 for j in range(per.value))]
        self.lib.XFree(table)
        self.lib.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                    ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        wanted = [c for c in dict.fromkeys(characters) if ord(c) > 0x7e]
        if len(wanted) > len(spare):
            raise CheckFailed(f"no spare keycodes for {wanted!r}")
        for keycode, char in zip(spare[1:], wanted):   # leave one spare for xdotool's own use
            syms = (ctypes.c_ulong * 2)(*(keysym_of(char.lower()), keysym_of(char.upper())))
            self.lib.XChangeKeyboardMapping(self.display, keycode, 2, syms, 1)
        self.lib.XSync(self.display, 0)


def keysym_of(char):
    code = ord(char)
    return code if code < 0x100 else 0x1000000 | code


def window_tree(window="-root"):
    args = ["xwininfo", "-tree"] + (["-root"] if window == "-root" else ["-id", str(window)])
    return run(*args)


def child_windows(window):
    """(id, name, width, height, x, y) of the direct children listed by xwininfo."""
    children = []
    pattern = re.compile(r'^\s+(0x[0-9a-f]+) (?:"(.*?)"|\(has no name\)).*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)')
    for line in window_tree(window).splitlines():
        match = pattern.match(line)
        if match:
            wid, name, w, h, x, y = match.groups()
            children.append((int(wid, 16), name or "", int(w), int(h), int(x), int(y)))
    return children


def window_geometry(window):
    info = run("xwininfo", "-id", str(window))
    x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
    y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
    w = int(re.search(r"Width:\s+(\d+)", info).group(1))
    h = int(re.search(r"Height:\s+(\d+)", info).group(1))
    viewable = "IsViewable" in info
    return x, y, w, h, viewable


def visible_windows_named(title):
    out = run("xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$", check_status=False)
    return [int(w) for w in out.split()]


def all_windows_named(title):
    out = run("xdotool", "search", "--name", f"^{re.escape(title)}$", check_status=False)
    return [int(w) for w in out.split()]


def is_mapped(window):
    return "IsViewable" in run("xwininfo", "-id", str(window), check_status=False)


def hidden_in_tray(window):
    """Withdrawn by the program, not just iconified by the window manager on the way there."""
    return not is_mapped(window) and "Iconic" not in run("xprop", "-id", str(window), "WM_STATE", check_status=False)


# ---------------------------------------------------------------- accessibility helpers

def app_for_pid(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        try:
            if app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def descendants(node, depth=0, limit=12):
    if node is None or depth > limit:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from descendants(child, depth + 1, limit)


def role_of(node):
    try:
        return node.getRoleName()
    except Exception:
        return "?"


def name_of(node):
    try:
        return node.name or ""
    except Exception:
        return ""


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, -1)
    except NotImplementedError:
        return None
    except Exception:
        return None


def description_of(node):
    try:
        node.clearCache()  # the value changes while we poll; never trust the client cache
        return node.description or ""
    except Exception:
        return ""


def labels_of(node):
    names = []
    try:
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                names += [name_of(relation.getTarget(i)) for i in range(relation.getNTargets())]
    except Exception:
        pass
    return names


def is_showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def dump_tree(root, limit=12):
    lines = []

    def walk(node, depth):
        if node is None or depth > limit:
            return
        text = text_of(node) or description_of(node)
        extra = f" text={text!r}" if text else ""
        showing = " showing" if is_showing(node) else ""
        lines.append(f"{'  ' * depth}[{role_of(node)}] {name_of(node)!r}{extra}{showing}")
        try:
            for i in range(node.childCount):
                walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            pass

    walk(root, 0)
    return "\n".join(lines)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "press", "click", "Click", "Toggle", "toggle"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    if action.nActions:
        action.doAction(0)
        return
    raise CheckFailed(f"{role_of(node)} {name_of(node)!r} has no action")


def centre(node):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x + extents.width // 2, extents.y + extents.height // 2


# ---------------------------------------------------------------- the program under test

class Session:
    def __init__(self, args):
        self.program = os.path.abspath(args.program)
        self.program_dir = os.path.dirname(self.program)
        self.shots = os.path.abspath(args.shots)
        self.root = os.path.abspath(args.root)
        self.scenario = args.scenario
        self.common = os.environ["CANDLEWISE_COMMON_APPDATA"]
        self.store = os.path.join(self.common, *STORE_PARTS)
        self.helpers = []
        self.proc = None
        self.app = None
        self.x = Xlib()
        self.tray_window = None

    # desktop -------------------------------------------------------------
    def start_desktop(self):
        wm = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.helpers.append(wm)
        wait_for("the window manager", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in
                 run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check_status=False))
        tray = subprocess.Popen(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                                 "--height", "32", "--SetDockType", "true", "--transparent", "false",
                                 "--expand", "true"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.helpers.append(tray)
        self.tray = tray
        owner = wait_for("a tray host owning _NET_SYSTEM_TRAY_S0",
                         lambda: self.x.selection_owner("_NET_SYSTEM_TRAY_S0"))
        log(f"tray host ready (selection owner 0x{owner:x})")
        self.x.bind_characters(TYPED_NAME)

    def trayer_window(self):
        ids = run("xdotool", "search", "--class", "trayer", check_status=False).split()
        for wid in ids:
            x, y, w, h, viewable = window_geometry(int(wid))
            if viewable and h > 1:
                return int(wid)
        return None

    def tray_icons(self):
        """The program's windows docked into the tray host (XEmbed icons below trayer's panel)."""
        panel = self.trayer_window()
        if panel is None:
            return []
        icons = []
        for line in window_tree(panel).splitlines():
            match = re.match(r'^\s+(0x[0-9a-f]+) .*\("candlewise" "Candlewise"\)', line)
            if match and is_mapped(int(match.group(1), 16)):
                icons.append(int(match.group(1), 16))
        return icons

    # program -------------------------------------------------------------
    def start_program(self, wrapper=()):
        log(f"starting {self.program}")
        self.output = open(os.path.join(self.root, "program.log"), "w")
        self.proc = subprocess.Popen([*wrapper, self.program], stdout=self.output, stderr=subprocess.STDOUT,
                                     cwd=self.root)
        self.app = wait_for("the program on the accessibility bus", lambda: app_for_pid(self.proc.pid), 20)
        # This client runs no event loop, so it would never hear that a cached value went stale.
        try:
            self.app.set_cache_mask(Atspi.Cache.NONE)
        except Exception as error:
            log(f"note: cannot switch the accessibility cache off ({error!r})")
        return self.app

    def program_log(self):
        try:
            with open(os.path.join(self.root, "program.log")) as f:
                return f.read()
        except OSError:
            return ""

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def window(self, title, role=None):
        """A top-level window of the program with this title that is on screen."""
        def probe():
            if not self.running():
                raise CheckFailed(f"the program ended (status {self.proc.returncode})")
            for i in range(self.app.childCount):
                child = self.app.getChildAtIndex(i)
                if name_of(child) == title and (role is None or role_of(child) == role) and is_showing(child):
                    return child
            return None
        return wait_for(f"window {title!r}", probe)

    def find(self, root, role, name=None, showing=True, timeout=TIMEOUT):
        def probe():
            for node in descendants(root):
                if (role is None or role_of(node) == role) and (name is None or name_of(node) == name):
                    if not showing or is_showing(node):
                        return node
            return None
        return wait_for(f"{role} {name!r}", probe, timeout)

    def label_text(self, root, name):
        """What a screen reader reads for a named label: its text, given as its description."""
        node = self.find(root, "label", name)
        text = text_of(node)
        if text is not None:
            return text
        return description_of(node)

    def wait_label(self, root, name, predicate, what):
        def probe():
            text = self.label_text(root, name)
            return text if predicate(text) else None
        return wait_for(what, probe)

    def open_window(self, title):
        for i in range(self.app.childCount):
            child = self.app.getChildAtIndex(i)
            if name_of(child) == title and is_showing(child):
                return child
        return None

    def table_cells(self, table):
        """The texts of the list's cells, row by row, as a screen reader gets them."""
        return [name_of(node) or text_of(node) or "" for node in descendants(table, limit=3)
                if role_of(node) in ("table cell", "tree item", "list item")]

    def main_x_window(self):
        ids = wait_for("the main X window", lambda: all_windows_named(MAIN_TITLE))
        return ids[0]

    def activate(self, title):
        wid = wait_for(f"X window {title!r}", lambda: visible_windows_named(title))[0]
        run("xdotool", "windowactivate", "--sync", str(wid), check_status=False)
        run("xdotool", "windowfocus", "--sync", str(wid), check_status=False)
        return wid

    def type_text(self, text):
        unbound = [c for c in text if ord(c) > 0x7e and c not in TYPED_NAME]
        if unbound:
            raise CheckFailed(f"{unbound!r} has no key of its own; add it to the characters bound at start")
        run("xdotool", "type", "--delay", "20", "--", text)

    def key(self, *keys):
        run("xdotool", "key", "--delay", "40", *keys)

    def click_at(self, x, y, button=1):
        # One command: the pointer is where it should be before the button goes down. (--sync
        # would wait forever when the pointer is already there.)
        run("xdotool", "mousemove", str(x), str(y), "click", str(button))

    def shot(self, name):
        os.makedirs(self.shots, exist_ok=True)
        path = os.path.join(self.shots, f"{self.scenario}-{name}.png")
        run("import", "-window", "root", path, check_status=False)
        log(f"screenshot {path}")
        return path

    def dump(self):
        if self.app is None:
            return "(program not on the accessibility bus)"
        try:
            return dump_tree(self.app)
        except Exception as error:
            return f"(tree not readable: {error!r})"

    # store ---------------------------------------------------------------
    def rows(self):
        with sqlite3.connect(f"file:{self.store}?mode=ro", uri=True) as db:
            return db.execute("SELECT id, Person, BirthMonth, BirthDay FROM tblBirthday ORDER BY id").fetchall()

    def integrity(self):
        with sqlite3.connect(f"file:{self.store}?mode=ro", uri=True) as db:
            return db.execute("PRAGMA integrity_check").fetchone()[0]

    def seed_store(self, rows):
        """The live store as a previous run would have left it: the blank seed plus these rows."""
        os.makedirs(os.path.dirname(self.store), exist_ok=True)
        shutil.copyfile(os.path.join(self.program_dir, "dbBlank.mdb"), self.store)
        with sqlite3.connect(self.store) as db:
            db.executemany("INSERT INTO tblBirthday (Person, BirthMonth, BirthDay) VALUES (?, ?, ?)", rows)

    # shutdown ------------------------------------------------------------
    def close_main_window(self):
        self.x.close_window(self.activate(MAIN_TITLE))
        try:
            self.proc.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            raise CheckFailed("the program still runs after its main window was closed")

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for helper in reversed(self.helpers):
            if helper.poll() is None:
                helper.terminate()
                try:
                    helper.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    helper.kill()


# ---------------------------------------------------------------- scenarios

def month_name(month):
    return ["January", "February", "March", "April", "May", "June", "July", "August", "September",
            "October", "November", "December"][month - 1]


def countdown_seconds(text):
    """Seconds left in a countdown label: "H:MM:SS" from an hour up, "M:SS" below."""
    match = re.fullmatch(r"You will be reminded of birthday in (?:(\d+):([0-5]\d)|(\d+)):([0-5]\d)", text)
    if not match:
        return None
    hours, minutes_with_hours, minutes_alone, seconds = match.groups()
    if hours is not None:
        if int(hours) == 0:
            return None  # below an hour the hours are left out
        return int(hours) * 3600 + int(minutes_with_hours) * 60 + int(seconds)
    return int(minutes_alone) * 60 + int(seconds)


def main_window(s):
    return s.window(MAIN_TITLE)


CONTROL_ROLES = ("push button", "check box", "radio button", "text", "combo box", "label", "tree", "table",
                 "spin button", "slider", "list")


def check_named(window, what):
    """A screen reader can tell every control apart: each has a name or something labelling it."""
    unnamed = [f"[{role_of(n)}] under {name_of(n.parent)!r}" for n in descendants(window, limit=4)
               if role_of(n) in CONTROL_ROLES and is_showing(n) and not name_of(n) and not labels_of(n)]
    check(unnamed == [], f"every control of {what} has an accessible name {unnamed}")


def scenario_first_start(s):
    check(not os.path.exists(os.path.join(s.common, "Marrowfen")), "the data root starts empty")
    s.start_program()
    main = main_window(s)
    check(os.path.isdir(os.path.join(s.common, "Marrowfen", "Candlewise Software")), "the data folder was created")
    check(os.path.isfile(s.store), "dbData.mdb was created")
    check(s.rows() == [], "the new store holds no birthdays")
    check(s.integrity() == "ok", "the new store passes the integrity check")
    # The accessibility bus says the window shows before the window manager has mapped it.
    wait_for("the window 'Candlewise Software' on screen", lambda: visible_windows_named(MAIN_TITLE))
    log("ok: the window 'Candlewise Software' is on screen")
    for caption in ("Add Reminder", "Delete Selected Reminder", "Edit Selected Reminder", "Load Sample/Example Data",
                    "Import Birthdays From Text File", "Export Birthdays To File", "About the text file format",
                    "Add Birthday Today and Test", "About the test", "Help"):
        s.find(main, "push button", caption)
    log("ok: every command button is found by its accessible name")
    day_box = s.find(main, "check box", "Remind me on the day of the birthday")
    check(day_box.getState().contains(pyatspi.STATE_CHECKED), "'Remind me on the day of the birthday' is ticked")
    for caption in ("Remind me 3 days before birthday", "Remind me 7 days before birthday",
                    "Remind me 14 days before birthday", "Remind me 30 days before birthday",
                    "Load this software on Windows startup", "Start in system tray"):
        box = s.find(main, "check box", caption)
        check(not box.getState().contains(pyatspi.STATE_CHECKED), f"{caption!r} is not ticked")
    s.find(main, "label", "Next birthday")
    s.find(main, None, "Birthdays")
    icons = wait_for("the tray icon docked in the tray host", s.tray_icons)
    check(len(icons) == 1, "one tray icon is docked in the tray host")
    s.shot("main")
    check_named(main, "the main window")


def scenario_add_birthday(s):
    s.start_program()
    main = main_window(s)
    press(s.find(main, "push button", "Add Reminder"))
    editor = s.window("Add New Birthday Reminder")
    s.activate("Add New Birthday Reminder")
    name_box = s.find(editor, "text", "Person's name")
    # Named by their labels, never by the entry they hold.
    month_box = s.find(editor, "combo box", "Month")
    day_box = s.find(editor, "combo box", "Day")
    # The mouse puts the caret into the name box; the keyboard does the rest.
    s.click_at(*centre(name_box))
    wait_for("the name box to take the focus", lambda: name_box.getState().contains(pyatspi.STATE_FOCUSED))
    s.type_text(TYPED_NAME)
    wait_for("the typed name in the name box", lambda: text_of(name_box) == TYPED_NAME)
    # Month: March, chosen from the keyboard in the month box.
    s.key("Tab")
    wait_for("the month box to take the focus", lambda: month_box.getState().contains(pyatspi.STATE_FOCUSED))
    s.key("Home", "Down", "Down")
    s.key("Tab")
    wait_for("the day box to take the focus", lambda: day_box.getState().contains(pyatspi.STATE_FOCUSED))
    s.key("Home", *["Down"] * 16)
    s.shot("editor")
    check_named(editor, "the editor")
    save = s.find(editor, "push button", "Save New Birthday Reminder")
    s.click_at(*centre(save))
    wait_for("the editor to close", lambda: not visible_windows_named("Add New Birthday Reminder"))
    rows = wait_for("the new row in the store", lambda: s.rows())
    check([r[1:] for r in rows] == [(TYPED_NAME, 3, 17)], f"the store holds the new birthday {rows}")
    table = s.find(main, None, "Birthdays")
    wait_for("the new row in the list", lambda: "Zoë O'Neil" in s.table_cells(table))
    cells = s.table_cells(table)
    check(cells[:3] == [TYPED_NAME, "March", "17"], f"a row starts with the person, the month and the day {cells}")
    label = s.wait_label(main, "Next birthday", lambda t: "Zoë O'Neil" in t, "the next-birthday label")
    check(label.startswith("Next birthday is in Zoë O'Neil"), f"the label names the person: {label!r}")
    s.shot("main-after-add")


def scenario_due_today(s):
    today = time.localtime()
    s.seed_store([("Ann Example", today.tm_mon, today.tm_mday), ("Bo Later", (today.tm_mon % 12) + 1, 28)])
    s.start_program()
    alert = s.window("Birthday Alert!")
    s.activate("Birthday Alert!")
    text = s.wait_label(alert, "Birthdays due", lambda t: "birthday" in t, "the alert text")
    check(text.strip() == "Ann Example's birthday is today.", f"the alert names the birthday due today: {text!r}")
    one_hour = s.find(alert, "radio button", "Remind me again in 1 hour")
    check(one_hour.getState().contains(pyatspi.STATE_CHECKED), "'Remind me again in 1 hour' is preselected")
    for caption in ("Remind me again in 2 hours", "Remind me again in 6 hours", "Remind me again in 12 hours",
                    "Do not remind me again"):
        s.find(alert, "radio button", caption)
    s.shot("alert")
    check_named(alert, "the alert window")
    press(s.find(alert, "push button", "OK"))
    wait_for("the alert to close", lambda: not visible_windows_named("Birthday Alert!"))
    main = main_window(s)
    first_read = time.monotonic()  # no later than the program read the first value
    countdown = s.wait_label(main, "Next birthday",
                             lambda t: t.startswith("You will be reminded of birthday in "), "the countdown")
    first = countdown_seconds(countdown)
    check(first is not None and 3540 <= first <= 3600,
          f"the main window counts down from one hour (1:00:00, 59:59, ...): {countdown!r}")
    later = s.wait_label(main, "Next birthday", lambda t: t != countdown and t.startswith("You will be"),
                         "the countdown to tick")
    # A loaded machine may take seconds over the reads; the countdown keeps to the clock.
    between = time.monotonic() - first_read
    check(countdown_seconds(later) is not None and 0 < first - countdown_seconds(later) <= between + 1.5,
          f"the countdown goes down by the second: {countdown!r} then {later!r} {between:.1f} s later")
    table = s.find(main, None, "Birthdays")
    check("Today" in s.table_cells(table), "the list shows 'Today' for the birthday")
    s.shot("countdown")
    with open(os.path.join(os.environ["XDG_CONFIG_HOME"], "Marrowfen.ini"), encoding="utf-8") as f:
        settings = f.read()
    stored = dict(re.findall(r"^(Option[1-5])=(\w+)\s*$", settings, re.M))
    check(stored == {"Option1": "True", "Option2": "False", "Option3": "False", "Option4": "False",
                     "Option5": "False"}, f"the settings remember the chosen snooze {stored}")


def scenario_tray(s):
    s.start_program()
    main_window(s)
    main_id = s.main_x_window()
    wait_for("the main window mapped", lambda: is_mapped(main_id))
    icons = wait_for("the tray icon", s.tray_icons)
    run("xdotool", "windowminimize", str(main_id), check_status=False)
    wait_for("the main window to be hidden (unmapped)", lambda: not is_mapped(main_id))
    check(not visible_windows_named(MAIN_TITLE), "minimising hides the main window")
    check(s.running(), "the program still runs in the tray")
    s.shot("in-tray")
    x, y, w, h, _ = window_geometry(icons[0])
    log(f"tray icon at {x},{y} {w}x{h}")
    s.click_at(x + w // 2, y + h // 2)
    wait_for("the main window back on screen after the tray click", lambda: is_mapped(main_id))
    check(visible_windows_named(MAIN_TITLE) != [], "a click on the tray icon brings the window back")
    main = main_window(s)
    # The program learns of its new window state from the window manager a moment after the map.
    wait_for("the window to come back un-minimised", lambda: not main.getState().contains(pyatspi.STATE_ICONIFIED))
    log("ok: the window comes back un-minimised")
    s.shot("restored")
    # A second round: the window hides again (no balloon this time) and comes back again.
    run("xdotool", "windowminimize", str(main_id), check_status=False)
    wait_for("the main window hidden again", lambda: not is_mapped(main_id))
    log("ok: the window hides again on the second minimise")
    x, y, w, h, _ = window_geometry(wait_for("the tray icon", s.tray_icons)[0])
    s.click_at(x + w // 2, y + h // 2, button=3)
    wait_for("the window back after a right click on the tray icon", lambda: is_mapped(main_id))
    log("ok: a right click on the tray icon brings the window back too")
    run("xdotool", "windowminimize", str(main_id), check_status=False)
    # The tray may go only once the program has hidden the window in it: a tray gone while the
    # minimise is still on its way leaves the window minimised on the task bar, as it should.
    wait_for("the main window hidden a third time", lambda: hidden_in_tray(main_id))
    s.tray.terminate()
    wait_for("the window back when the tray stops while it is hidden there", lambda: is_mapped(main_id))


def file_dialog(s, path):
    """Answers the program's file dialog by typing the full path into its file name box."""
    dialog = s.window("Save")
    s.activate("Save")
    name_box = None
    for node in descendants(dialog):
        if role_of(node) in ("text", "combo box", "editbar") and is_showing(node) and \
                node.getState().contains(pyatspi.STATE_EDITABLE):
            name_box = node
            if node.getState().contains(pyatspi.STATE_FOCUSED):
                break
    if name_box is not None and not name_box.getState().contains(pyatspi.STATE_FOCUSED):
        s.click_at(*centre(name_box))
    s.key("ctrl+a", "BackSpace")
    s.type_text(path)
    s.shot("file-dialog")
    s.key("Return")
    wait_for("the file dialog to close", lambda: not visible_windows_named("Save"))


def answer_message(s, title, expected_text=None):
    box = s.window(title)
    texts = [text_of(n) or name_of(n) for n in descendants(box) if role_of(n) == "label"]
    joined = " ".join(t for t in texts if t)
    if expected_text is not None:
        check(expected_text in joined, f"the box {title!r} says {expected_text!r} ({joined!r})")
    s.shot(f"message-{re.sub('[^a-z]+', '-', title.lower())}")
    press(s.find(box, "push button", "OK"))
    wait_for(f"the box {title!r} to close", lambda: not visible_windows_named(title))
    return joined


def scenario_import_export(s):
    source = os.path.join(s.root, "birthdays.txt")
    lines = ["Arvel Quenby,April 13", "Nim Quenby,October 18", "Åsa Ström,February 29", "Li Wei,December 1"]
    with open(source, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("utf-8"))
    s.start_program()
    main = main_window(s)
    press(s.find(main, "push button", "Import Birthdays From Text File"))
    file_dialog(s, source)
    answer_message(s, "Candlewise", "Done.")
    rows = s.rows()
    check(sorted(r[1:] for r in rows) == sorted([("Arvel Quenby", 4, 13), ("Nim Quenby", 10, 18),
                                                 ("Åsa Ström", 2, 29), ("Li Wei", 12, 1)]),
          f"the store holds the four imported birthdays {rows}")
    table = s.find(main, None, "Birthdays")
    wait_for("the imported rows in the list", lambda: "Li Wei" in s.table_cells(table))
    s.shot("after-import")
    target = os.path.join(s.root, "exported.txt")
    press(s.find(main, "push button", "Export Birthdays To File"))
    file_dialog(s, target)
    answer_message(s, "Candlewise", "Done.")
    with open(target, "rb") as f:
        exported = f.read()
    expected = "".join(line + "\r\n" for line in
                       ["Åsa Ström,February 29", "Arvel Quenby,April 13", "Nim Quenby,October 18",
                        "Li Wei,December 1"]).encode("utf-8")
    check(exported == expected, f"the exported file holds the birthdays in calendar order with CR LF lines "
                                f"(got {exported!r})")


def scenario_close(s):
    s.seed_store([("Cy Keep", 7, 4), ("Di Keep", 1, 9)])
    before = s.rows()
    s.start_program()
    main = main_window(s)
    press(s.find(main, "push button", "Load Sample/Example Data"))
    wait_for("the sample row in the store", lambda: len(s.rows()) == 3)
    wait_for("the tray icon before closing", s.tray_icons)
    s.shot("before-close")
    s.close_main_window()
    check(s.proc.returncode == 0, f"the program ends normally when its window closes (status {s.proc.returncode})")
    wait_for("the tray icon removed", lambda: not s.tray_icons())
    check(s.integrity() == "ok", "the store passes PRAGMA integrity_check after closing")
    after = s.rows()
    check(after[:2] == before and after[2][1:] == ("Arv", 4, 13), f"the store kept every row {after}")
    check(not os.path.exists(s.store + "-journal") and not os.path.exists(s.store + "-wal"),
          "no journal is left beside the store")


def answer_reports(s, tag, wait_first=True):
    """Answers the error report boxes that the last action raised, and returns their texts.

    The reports of one action come up one after another inside its handler, and the program serves
    the accessibility bus only from an event loop: once a closed report is seen to be gone, the
    program is either inside the next report or done with the handler. So the next report is looked
    for once, without waiting; only the first is waited for (when `wait_first`)."""
    reports = []
    box = s.window("Application Error") if wait_first else s.open_window("Application Error")
    while box is not None:
        text = " ".join(text_of(n) or name_of(n) for n in descendants(box) if role_of(n) == "label")
        log(f"report: {text!r}")
        reports.append(text)
        if len(reports) == 1:
            s.shot(f"report-{tag}")
        press(s.find(box, "push button", "OK"))
        wait_for("the report to close", lambda: not is_showing(box))
        if len(reports) > 10:
            raise CheckFailed(f"reports do not stop: {reports}")
        box = s.open_window("Application Error")
    return reports


def scenario_damaged_store(s):
    os.makedirs(os.path.dirname(s.store), exist_ok=True)
    garbage = bytes((i * 37 + 11) % 256 for i in range(4096))
    with open(s.store, "wb") as f:
        f.write(garbage)
    s.start_program()
    reports = answer_reports(s, "start-up")
    check(reports and "file is not a database" in reports[0] and "Form_Load" in reports[0],
          "the failed open is reported at start-up with the engine's message")
    # The first list pass runs after the load, from the event loop: its label says it is over.
    main = main_window(s)
    s.wait_label(main, "Next birthday", lambda t: t == "The birthday list could not be opened.",
                 "the first list pass over the closed store")
    reports += answer_reports(s, "start-up", wait_first=False)
    # The one list pass that finds the store closed may report too; nothing else may follow.
    check(len(reports) <= 2 and all("ListBirthdays" in r for r in reports[1:]),
          f"start-up reports the damaged store without a cascade ({len(reports)} reports)")
    check(s.running(), "the program keeps running with a damaged store")
    press(s.find(main, "push button", "Load Sample/Example Data"))
    later = answer_reports(s, "change")
    check(later != [] and len(later) <= 2, f"a change to the damaged store is reported ({len(later)} reports)")
    check(s.running(), "the program still runs after the failed change")
    with open(s.store, "rb") as f:
        check(f.read() == garbage, "the damaged store file is neither replaced nor altered")
    s.shot("main")
    s.close_main_window()
    with open(s.store, "rb") as f:
        check(f.read() == garbage, "closing leaves the damaged store file as it was")


def scenario_killed_import(s):
    """The process killed in the middle of a 100,000-line import loses nothing it had and leaves
    no half-written store: afterwards it holds the rows from before, or those plus a whole prefix
    of the file, and the program starts on it again."""
    before = [("Ed Before", 5, 6), ("Flo Before", 11, 30)]
    s.seed_store(before)
    source = os.path.join(s.root, "many.txt")
    lines = [(f"Person {n:06d}", (n % 12) + 1, (n % 28) + 1) for n in range(100000)]
    with open(source, "wb") as f:
        f.write("".join(f"{name},{month_name(month)} {day}\r\n" for name, month, day in lines).encode())
    s.start_program()
    main = main_window(s)
    press(s.find(main, "push button", "Import Birthdays From Text File"))
    # From here on the program is busy: only the X server and the file system are asked.
    file_dialog(s, source)
    journal = s.store + "-journal"
    wait_for("the import's transaction to start", lambda: os.path.exists(journal), 20, 0.005)
    time.sleep(0.05)
    caught = os.path.exists(journal)
    s.proc.send_signal(signal.SIGKILL)
    s.proc.wait()
    log(f"killed the program {'during' if caught else 'after'} the import")
    # A copy is opened, so that a left-over journal is rolled back there and the program's own
    # start below meets the store exactly as the kill left it.
    copy = os.path.join(s.root, "after-kill")
    os.makedirs(copy)
    for suffix in ("", "-journal"):
        if os.path.exists(s.store + suffix):
            shutil.copyfile(s.store + suffix, os.path.join(copy, "dbData.mdb" + suffix))
    log(f"left behind: {sorted(os.listdir(copy))}")
    with sqlite3.connect(os.path.join(copy, "dbData.mdb")) as db:
        rows = db.execute("SELECT Person, BirthMonth, BirthDay FROM tblBirthday ORDER BY id").fetchall()
        integrity = db.execute("PRAGMA integrity_check").fetchone()[0]
    check(integrity == "ok", "the store passes PRAGMA integrity_check after the kill")
    check(rows[:2] == before, "the rows from before the import are all there")
    imported = rows[2:]
    check(imported == lines[:len(imported)], f"the store holds a whole prefix of the file ({len(imported)} lines)")
    if imported:
        return  # the whole file made it; a 100,000-row list is not walked through the accessibility bus
    s.start_program()
    main = main_window(s)
    table = s.find(main, None, "Birthdays")
    wait_for("the old rows in the list after the restart", lambda: "Flo Before" in s.table_cells(table))
    check("Ed Before" in s.table_cells(table), "the program starts on the recovered store with its rows")
    s.shot("restarted")
    s.close_main_window()
    check(s.integrity() == "ok", "the store is still intact after the restart")
    check([r[1:] for r in s.rows()] == before, "the store holds exactly the rows from before the import")


READ_ONLY_WRAPPER = ("unshare", "--mount", "--propagation", "private", "sh", "-c",
                     'mount --bind -o ro "$1" "$1" && exec "$2"', "sh")


def scenario_readonly_store(s):
    """A store file the program may read but not write: every change is reported, the program keeps
    running and the file stays as it was. The file is made read-only by a read-only bind mount in a
    mount namespace of the program's own (file modes do not stop root)."""
    probe = os.path.join(s.root, "probe")
    with open(probe, "w") as f:
        f.write("x")
    trial = subprocess.run([*READ_ONLY_WRAPPER, probe, "true"], capture_output=True, text=True)
    if trial.returncode != 0:
        raise Skipped(f"cannot make a file read-only with a private bind mount here: {trial.stderr.strip()}")
    s.seed_store([("Gil Fixed", 2, 3)])
    with open(s.store, "rb") as f:
        original = f.read()
    s.start_program(wrapper=(*READ_ONLY_WRAPPER, s.store))
    main = main_window(s)
    table = s.find(main, None, "Birthdays")
    wait_for("the stored row in the list", lambda: "Gil Fixed" in s.table_cells(table))
    press(s.find(main, "push button", "Load Sample/Example Data"))
    reports = answer_reports(s, "sample")
    check(reports and "readonly" in reports[0].replace("read-only", "readonly").replace(" ", ""),
          "the sample insert is reported as a write to a read-only store")
    press(s.find(main, "push button", "Add Reminder"))
    editor = s.window("Add New Birthday Reminder")
    s.activate("Add New Birthday Reminder")
    name_box = s.find(editor, "text", "Person's name")
    s.click_at(*centre(name_box))
    wait_for("the name box to take the focus", lambda: name_box.getState().contains(pyatspi.STATE_FOCUSED))
    s.type_text("Hal Lost")
    press(s.find(editor, "push button", "Save New Birthday Reminder"))
    reports = answer_reports(s, "save")
    check(reports != [], "saving into the read-only store is reported")
    wait_for("the editor to close", lambda: not visible_windows_named("Add New Birthday Reminder"))
    check(s.running(), "the program keeps running after the failed changes")
    check(s.table_cells(table).count("Gil Fixed") == 1 and "Hal Lost" not in s.table_cells(table),
          "the list still shows the store as it is")
    s.shot("main")
    with open(s.store, "rb") as f:
        check(f.read() == original, "the read-only store file is unchanged")
    s.close_main_window()
    check(s.proc.returncode == 0, "the program ends normally")
    with open(s.store, "rb") as f:
        check(f.read() == original, "the store file is still unchanged after closing")


def scenario_gtk_dark(s):
    # GTK's theme at 13 pt, dark: the alert scrolls, Enter presses OK, and Enter in the editor saves.
    config = os.environ["XDG_CONFIG_HOME"]
    os.makedirs(os.path.join(config, "gtk-3.0"))
    for name, text in (("gtk-3.0/settings.ini", "[Settings]\ngtk-font-name=Sans 13\ngtk-application-prefer-dark-theme=1\n"),
                       ("Marrowfen.ini", "[Candlewise Software]\nOption1=False\nOption5=True\n")):
        open(os.path.join(config, name), "w").write(text)
    os.environ.update(QT_QPA_PLATFORMTHEME="gtk3", NO_AT_BRIDGE="1")  # no second bridge from GTK's side
    s.seed_store([(f"Person {n:02}", time.localtime().tm_mon, time.localtime().tm_mday) for n in range(1, 31)])
    s.start_program()
    alert = s.window("Birthday Alert!")
    s.activate("Birthday Alert!")
    ok = s.find(alert, "push button", "OK")
    wait_for("OK to have the first focus", lambda: ok.getState().contains(pyatspi.STATE_FOCUSED))
    text = s.wait_label(alert, "Birthdays due", lambda t: "Person 30" in t, "the alert text")
    check(len(text.split()) == 30 * 5, f"the alert lists the 30 birthdays due {text!r}")
    bar_node = [n for n in descendants(alert) if role_of(n) == "scroll bar" and is_showing(n)][0]
    x, y, bar = *centre(bar_node), bar_node.queryValue()
    run("xdotool", "mousemove", str(x - 200), str(y), "click", "--repeat", "12", "5")  # the wheel over the text
    wait_for("the text scrolled to its last line", lambda: 0 < bar.currentValue == bar.maximumValue)
    s.shot("alert-scrolled")
    s.key("Return")
    wait_for("Enter to close the alert", lambda: not visible_windows_named("Birthday Alert!"))
    check("Option5=True" in open(os.path.join(config, "Marrowfen.ini")).read(), "Enter kept 'Do not remind me again'")
    s.shot("main")
    press(s.find(main_window(s), "push button", "Add Reminder"))
    editor = s.window("Add New Birthday Reminder")
    s.activate("Add New Birthday Reminder")
    name_box = s.find(editor, "text", "Person's name")
    wait_for("the name box to have the first focus", lambda: name_box.getState().contains(pyatspi.STATE_FOCUSED))
    s.type_text("Enter Saves")
    s.shot("editor")
    s.key("Return")
    wait_for("Enter to save and close the editor", lambda: not visible_windows_named("Add New Birthday Reminder"))
    wait_for("the new row in the store", lambda: any(r[1] == "Enter Saves" for r in s.rows()))


def scenario_notify(s, button=1, after="You will be reminded of birthday in 1:00:00"):
    """The alert also goes to the desktop's notification server; its button (1: the snooze, 2: "Do not
    remind me again") answers the alert as the window's option and OK do, and the notice is withdrawn."""
    s.start_desktop()
    server = subprocess.Popen([sys.executable, os.path.join(os.path.dirname(__file__), "sni_host.py"), "actions"],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    s.helpers.append(server)
    today = time.localtime()
    s.seed_store([("Ann Example", today.tm_mon, today.tm_mday)])
    s.start_program()
    calls = [server.stdout.readline().strip() for _ in range(3)]
    check(calls[:2] == ["ready", "GetCapabilities"] and calls[2].startswith(
        "Notify 0: default=Show, Remind me again in 1 hour, Do not remind me again\t[\"candlewise\", \"Birthday Alert!\", "
        "\"Ann Example's birthday is today.\""), f"the alert's notification: {calls}")
    s.shot("notified")
    server.stdin.write(f"press {button}\n")
    server.stdin.flush()
    calls = [server.stdout.readline().strip() for _ in range(2)]
    check(calls == ["press", "CloseNotification 1"], f"the button closed the window, which withdrew it: {calls}")
    wait_for("the alert to close", lambda: not s.open_window("Birthday Alert!"))
    s.wait_label(main_window(s), "Next birthday", lambda t: t.startswith(after), "the label after the answer")


SCENARIOS = {
    "notify": scenario_notify,
    "gtk_dark": scenario_gtk_dark,
    "first_start": scenario_first_start,
    "add_birthday": scenario_add_birthday,
    "due_today": scenario_due_today,
    "tray": scenario_tray,
    "import_export": scenario_import_export,
    "close": scenario_close,
    "damaged_store": scenario_damaged_store,
    "killed_import": scenario_killed_import,
    "readonly_store": scenario_readonly_store,
}


# Address book in, calendar out ----------------------------------------------------------------
# Names that a calendar file must carry unchanged, as a vCard writes them (escaped) and as they are.
CONTACTS = [("Åsa Ström", "BDAY:--0229", 2, 29),
            ("Smith\\, John\\; \"Jr.\" \\\\ <b>x</b>", "BDAY;VALUE=date:1604-12-31", 12, 31),
            ("李小龍", "item1.BDAY:19401127T000000Z", 11, 27),
            ("Arvel Quenby", "BDAY:1980-01-01", 1, 1)]


def unescaped(name):
    return re.sub(r"\\(.)", r"\1", name)


def set_ticked(s, main, captions):
    """Ticks exactly the given reminder options by clicking their boxes."""
    for caption in ("Remind me on the day of the birthday", "Remind me 3 days before birthday",
                    "Remind me 7 days before birthday", "Remind me 14 days before birthday",
                    "Remind me 30 days before birthday"):
        box = s.find(main, "check box", caption)
        if box.getState().contains(pyatspi.STATE_CHECKED) != (caption in captions):
            press(box)
            wait_for(f"{caption!r} to change", lambda: box.getState().contains(pyatspi.STATE_CHECKED) ==
                     (caption in captions))


def program_dates(month, day, start, years):
    """The days the program announces a birthday: the first of the month plus the day less one."""
    import datetime
    end = start.replace(year=start.year + years)
    dates = (datetime.date(year, month, 1) + datetime.timedelta(days=day - 1)
             for year in range(start.year, end.year + 1))
    return [d for d in dates if start <= d < end]


def calendar_dates(event, start, years):
    """The days an exported event falls on, expanded by python-icalendar and dateutil."""
    import datetime
    from dateutil.rrule import rrulestr
    first = datetime.datetime.combine(event.decoded("DTSTART"), datetime.time())
    rule = rrulestr(event["RRULE"].to_ical().decode(), dtstart=first)
    end = start.replace(year=start.year + years)
    return [d.date() for d in rule.between(datetime.datetime.combine(start, datetime.time()),
                                           datetime.datetime.combine(end, datetime.time()), inc=True)
            if d.date() < end]


def choose_file_type(s, file_type):
    """Picks an entry of the file dialog's type box with the keyboard, as a user does."""
    dialog = s.window("Save")
    boxes = [n for n in descendants(dialog) if role_of(n) == "combo box" and is_showing(n)
             and any(file_type in (name_of(c) or "") for c in descendants(n))]
    check(len(boxes) == 1, f"the file dialog has a type box offering {file_type!r}")
    box = boxes[0]
    entries = [name_of(c) for c in descendants(box) if role_of(c) in ("list item", "menu item")]
    s.click_at(*centre(box))
    s.key(*(["Down"] * entries.index(file_type)), "Return")
    wait_for(f"the type box to show {file_type!r}", lambda: file_type in (name_of(box) or ""))


def scenario_contacts_calendar(s):
    import datetime
    try:
        from icalendar import Calendar
        import dateutil  # noqa: F401  (the recurrence expansion)
    except ImportError as missing:
        raise Skipped(f"python3-icalendar and python3-dateutil are needed ({missing})")
    source = os.path.join(s.root, "contacts.vcf")
    cards = "".join(f"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:{name}\r\n{bday}\r\nEND:VCARD\r\n"
                    for name, bday, _, _ in CONTACTS)
    with open(source, "wb") as f:
        f.write((cards + "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No Birthday\r\nEND:VCARD\r\n").encode("utf-8"))
    expected = sorted((unescaped(name), month, day) for name, _, month, day in CONTACTS)
    s.start_program()
    main = main_window(s)
    # No reminder is ticked while the list fills, so no alert can come whatever today is.
    set_ticked(s, main, [])
    press(s.find(main, "push button", "Import Birthdays From Text File"))
    file_dialog(s, source)
    answer_message(s, "Candlewise", "Birthdays added: 4")
    check(sorted(r[1:] for r in s.rows()) == expected, f"the store holds the contacts' birthdays {s.rows()}")
    table = s.find(main, None, "Birthdays")
    wait_for("the imported rows in the list", lambda: "李小龍" in s.table_cells(table))
    s.shot("contacts-imported")

    set_ticked(s, main, ["Remind me 3 days before birthday", "Remind me 30 days before birthday"])
    # A name without an extension and the calendar's entry in the dialog's type box.
    target = os.path.join(s.root, "birthdays.ics")
    press(s.find(main, "push button", "Export Birthdays To File"))
    choose_file_type(s, "iCalendar Files (*.ics)")
    file_dialog(s, target[:-len(".ics")])
    answer_message(s, "Candlewise", "Done.")
    with open(target, "rb") as f:
        calendar = Calendar.from_ical(f.read())
    check(str(calendar["X-WR-CALNAME"]) == "Birthdays", "the calendar is named Birthdays")
    events = {str(e["SUMMARY"]): e for e in calendar.walk("VEVENT")}
    check(sorted(events) == sorted(name + "'s birthday" for name, _, _ in expected),
          f"one event per birthday, named after the person {sorted(events)}")

    # The program's own days left, as the list shows them, and its dates over the next ten years.
    cells = s.table_cells(table)
    width = len(cells) // len(expected)  # an Age column, as some cards give the year of birth
    shown = {cells[i]: cells[i + 3] for i in range(0, len(cells), width)}
    today = datetime.date.today()
    ages = {cells[i]: cells[i + 4] for i in range(0, len(cells), width)} if width == 5 else {}
    arvel = 0 if shown["Arvel Quenby"] == "Today" else int(shown["Arvel Quenby"])
    check(ages.get("Arvel Quenby") == str((today + datetime.timedelta(days=arvel)).year - 1980) and
          ages.get("Åsa Ström") == "", f"the Age column has the years of the cards that give one {ages}")
    for name, month, day in expected:
        event = events[name + "'s birthday"]
        dates = calendar_dates(event, today, 10)
        check(dates == program_dates(month, day, today, 10),
              f"{name}: the calendar's dates {dates[:3]}... are the program's over ten years")
        left = 0 if shown[name] == "Today" else int(shown[name])
        check(dates[0] == today + datetime.timedelta(days=left),
              f"{name}: the first date is the list's {shown[name]} days away")
        alarms = sorted((str(a["DESCRIPTION"]), a.decoded("TRIGGER")) for a in event.walk("VALARM"))
        check(alarms == sorted([(f"{name}'s birthday is in 3 days.", -datetime.timedelta(days=3, hours=-9)),
                                (f"{name}'s birthday is in 30 days.", -datetime.timedelta(days=30, hours=-9))]),
              f"{name}: one alarm for each ticked option at 09:00 {alarms}")
        check(str(event["TRANSP"]) == "TRANSPARENT" and event.decoded("DTEND") - event.decoded("DTSTART") ==
              datetime.timedelta(days=1), f"{name}: a free all-day event")
    log("ok: the exported calendar falls on the program's dates for ten years")

    # Read back through the import, the calendar gives exactly the birthdays already in the list.
    set_ticked(s, main, [])
    press(s.find(main, "push button", "Import Birthdays From Text File"))
    file_dialog(s, target)
    answer_message(s, "Candlewise", "Birthdays added: 0")
    check(sorted(r[1:] for r in s.rows()) == expected, f"importing the calendar added nothing {s.rows()}")


SCENARIOS["contacts_calendar"] = scenario_contacts_calendar


def print_x_windows():
    print("---- named X windows ----")
    print("\n".join(line for line in window_tree().splitlines() if '"' in line))


def run_main(scenarios, make_session, label="", start=lambda session: None, report=lambda: None):
    """Runs the scenario named on the command line; shared by the X11 and the Wayland checks."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--scenario", required=True, choices=sorted(scenarios))
    parser.add_argument("--shots", required=True)
    parser.add_argument("--root", required=True)
    args = parser.parse_args()
    # A program that hangs must not hang the checks too: calls on the bus give up after 5 s.
    Atspi.set_timeout(5000, 15000)
    session = make_session(args)
    name = f"{label}{args.scenario}"
    started = time.monotonic()
    status = 0
    try:
        start(session)
        scenarios[args.scenario](session)
        log(f"PASS {name} in {time.monotonic() - started:.1f} s")
    except Skipped as reason:
        status = 77
        print(f"SKIP {name}: {reason}", flush=True)
    except Exception as error:
        status = 1
        print(f"FAIL {name}: {error}", flush=True)
        traceback.print_exc()
        try:
            session.shot("failure")
        except Exception:
            pass
        print("---- accessibility tree of the program ----")
        print(session.dump())
        report()
        print("---- program output ----")
        print(session.program_log())
    finally:
        session.stop()
    return status


def main():
    return run_main(SCENARIOS, Session, start=lambda session: session.start_desktop(),
                    report=print_x_windows)


if __name__ == "__main__":
    sys.exit(main())
