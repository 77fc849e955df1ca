"""Helpers for the real-display tests.

Each test gets a private copy of the run folder (the executable with its skins, font
and sound), a private HOME, and the program started there on the display that
scripts/test set up (Xvfb with openbox and trayer). Windows are found and inspected
through the X server; input goes through xdotool; screenshots through ImageMagick.

With VELUDOR_UNDER_WINE set, the same tests run the Windows build's veludor.exe under
Wine instead (Clock is then wine.WineClock); the rows that do not apply to it are marked
linux_only.
"""
import array
import collections
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from Xlib import X, Xatom, display as xdisplay
from Xlib.error import XError
from Xlib.ext import shape
from Xlib.protocol import event

RUN_DIR = os.environ.get("VELUDOR_RUN_DIR", "")
SOURCE_DIR = os.environ.get("VELUDOR_SOURCE_DIR", "")
STATE_DIR = os.environ.get("VELUDOR_DESKTOP_STATE", "")
UNDER_WINE = bool(os.environ.get("VELUDOR_UNDER_WINE"))


def linux_only(reason):
    """Skips a row when the tests run the Windows program under Wine."""
    return unittest.skipIf(UNDER_WINE, "under Wine: " + reason)


def windows_only(reason):
    """Skips a row when the tests run the Linux program."""
    return unittest.skipUnless(UNDER_WINE, "on Linux: " + reason)


def require_display():
    """Exits with ctest's skip code when there is no display or no built program; at
    once, even from inside a test case, whose runner would otherwise catch the exit."""
    reason = None
    if not os.environ.get("DISPLAY"):
        reason = "no DISPLAY (scripts/test starts a private X server)"
    elif UNDER_WINE and Clock.missing():
        reason = Clock.missing()
    elif not os.path.exists(os.path.join(Clock.run_dir, Clock.executable)):
        reason = "the program is not built"
    if reason:
        print("skipped: " + reason, flush=True)
        os._exit(77)


def wait_for(condition, timeout=15.0, interval=0.05, what="condition"):
    """Polls condition() until it returns a true value, at most timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(interval)


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True,
                          text=True).stdout


def click(x, y, button=1):
    """Clicks at a screen point. "mousemove --sync" waits for the pointer to move, which
    it never does when it is there already: then it only clicks."""
    here = xdotool("getmouselocation", "--shell")
    if "X=%d\nY=%d\n" % (x, y) not in here:
        xdotool("mousemove", "--sync", x, y)
    xdotool("click", button)


def as_user(user):
    """The command prefix that runs a program as user, a (uid, gid) pair; none for None.
    setpriv replaces itself with the program, whose process id is then the child's."""
    if user is None:
        return []
    return ["setpriv", "--reuid=%d" % user[0], "--regid=%d" % user[1], "--clear-groups"]


def private_user(folder):
    """A fresh home under folder and the environment of a user living there: private
    XDG folders, sound to a file through SDL's disk driver, the X11 platform, and no
    session bus (the tray is the X11 one, and nothing autolaunches a bus daemon)."""
    home = os.path.join(folder, "home")
    os.makedirs(home)
    env = dict(os.environ)
    env.update({
        "HOME": home,
        "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "XDG_RUNTIME_DIR": home,
        "SDL_AUDIODRIVER": "disk",
        "SDL_DISKAUDIOFILE": os.path.join(folder, "audio.raw"),
        "QT_QPA_PLATFORM": "xcb",
        # The date and the time separator follow the locale: the C locale gives French.
        "LC_ALL": "",
        "LC_TIME": "",
        "LANG": "C.UTF-8",
        "ASAN_OPTIONS": "detect_leaks=0",
        "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + os.path.join(folder, "no-session-bus"),
    })
    return home, env


def client_windows(x, pid):
    """[(window, title)] of the client windows process pid owns (_NET_WM_PID), mapped or
    not: they stand at the top or inside the window manager's frames, which KWin nests two
    deep (frame, wrapper)."""
    pid_atom = x.intern_atom("_NET_WM_PID")
    name_atom = x.intern_atom("_NET_WM_NAME")
    found = []
    level = [x.screen().root]
    for _ in range(3):
        below = []
        for w in level:
            try:
                below += w.query_tree().children
            except Exception:
                continue
        for w in below:
            try:
                prop = w.get_full_property(pid_atom, X.AnyPropertyType)
                if not prop or prop.value[0] != pid:
                    continue
                title = w.get_wm_name()
                if title is None:
                    net = w.get_full_property(name_atom, X.AnyPropertyType)
                    title = net.value if net else ""
                if isinstance(title, bytes):
                    title = title.decode("utf-8", "replace")
                found.append((w, title))
            except Exception:
                continue
        level = below
    return found


class Clock:
    """The program started in a private copy of its run folder."""

    run_dir = RUN_DIR
    executable = "veludor"

    def __init__(self, settings=None, skins=None, env=None, keep_font=True, x=None, user=None):
        """env adds to (a value of None: removes from) the private user's environment;
        x is the X connection to inspect the windows through (by default, DISPLAY's);
        user, a (uid, gid) pair, runs the program as that user, who then owns the
        folders and a copy of the run folder (links would hand it the build's files)."""
        self.dir = tempfile.mkdtemp(prefix="veludor-desktop-")
        self.folder = os.path.join(self.dir, "run")
        self.user = user
        self.extra_env = dict(env or {})
        shutil.copytree(self.run_dir, self.folder,
                        copy_function=shutil.copy2 if user else self._link_or_copy)
        if not keep_font:
            os.remove(os.path.join(self.folder, "DS-DIGI.TTF"))
        if skins is not None:
            shutil.rmtree(os.path.join(self.folder, "skin"))
            os.makedirs(os.path.join(self.folder, "skin"))
            for name, source in skins.items():
                shutil.copyfile(source, os.path.join(self.folder, "skin", name))
        if settings is not None:
            with open(self.settings_path, "w", encoding="utf-8") as f:
                f.write(settings)
        self.home, self.env = private_user(self.dir)
        if env:
            self.env.update(env)
            self.env = {k: v for k, v in self.env.items() if v is not None}
        if user:
            for top, folders, files in os.walk(self.dir):
                for name in [top] + [os.path.join(top, n) for n in files]:
                    os.chown(name, *user)
        self.proc = None
        self._x = x

    @staticmethod
    def _link_or_copy(src, dst):
        try:
            os.link(src, dst)
        except OSError:
            shutil.copy2(src, dst)

    @property
    def x(self):
        if self._x is None:
            self._x = xdisplay.Display(self.env.get("DISPLAY"))
        return self._x

    @x.setter
    def x(self, value):
        self._x = value

    @property
    def settings_path(self):
        return os.path.join(self.folder, "parametre.ini")

    def start(self):
        if getattr(self, "log", None):
            self.log.close()
        self.log = open(os.path.join(self.dir, "program.log"), "w")
        self.proc = subprocess.Popen(as_user(self.user) + [os.path.join(self.folder, self.executable)],
                                     cwd=self.folder,
                                     env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if getattr(self, "log", None):
            self.log.close()
        if self._x is not None:
            self._x.close()
            self._x = None
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def sound_peak(self):
        """The largest absolute 16-bit sample the program has played, 0 before any: SDL's
        disk driver writes them to a file."""
        try:
            with open(self.env["SDL_DISKAUDIOFILE"], "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return 0
        samples = array.array("h")
        samples.frombytes(data[:len(data) - len(data) % 2])
        return max(map(abs, samples), default=0)

    # --- windows ---------------------------------------------------------------------

    def windows(self, name=None):
        """Top-level client windows of our process (mapped or not), optionally by title."""
        return [w for w, title in client_windows(self.x, self.proc.pid)
                if name is None or title == name]

    def window(self, name="Form1", timeout=20.0):
        """The mapped window with that title, waited for."""
        def find():
            for w in self.windows(name):
                if w.get_attributes().map_state == X.IsViewable:
                    return w
            return None
        return wait_for(find, timeout, what="window " + name)

    def geometry(self, w):
        """(left, top, width, height) of a window in root coordinates."""
        g = w.get_geometry()
        t = w.translate_coords(self.x.screen().root, 0, 0)
        return (-t.x, -t.y, g.width, g.height)

    def viewable(self, name):
        """The mapped windows of that title. A window may vanish while the tree is read (a
        box closing): the reading is then done again."""
        for _ in range(20):
            try:
                return [w for w in self.windows(name)
                        if w.get_attributes().map_state == X.IsViewable]
            except XError:
                continue
        raise AssertionError("the window tree kept changing")

    def answer(self, name, key):
        """Waits for the window of that title (a message box, a dialog) and presses key in
        it, again while it stays: under Wine a key may come before the window has the
        focus. Wine activates a window only when the window manager gives it the focus
        (WM_TAKE_FOCUS), not when the focus is set from outside: there the window is
        activated through the window manager."""
        box = wait_for(lambda: self.viewable(name), timeout=20, what="the window " + name)[0]
        focus = ["windowactivate" if UNDER_WINE else "windowfocus", "--sync", str(box.id)]

        def closed():
            if not self.viewable(name):
                return True
            try:
                subprocess.run(["xdotool", *focus], check=True, capture_output=True, timeout=5)
                xdotool("key", key)
            except (subprocess.CalledProcessError, subprocess.TimeoutExpired):
                pass  # closed meanwhile, or not activated yet
            return False
        wait_for(closed, interval=1.0, what="the window %s closed" % name)

    def client_origin(self, w, client_size):
        """Where the client area, of that size, of a window with a caption starts on the
        screen. The window manager frames it from outside on Linux; under Wine the window
        holds the frame Wine draws: equal borders at the sides and the bottom, the caption
        above."""
        left, top, width, height = self.geometry(w)
        border = (width - client_size[0]) // 2
        return left + border, top + height - client_size[1] - border

    def shape_rects(self, w):
        return [(r.x, r.y, r.width, r.height)
                for r in w.shape_get_rectangles(shape.SK.Bounding).rectangles]

    def screenshot(self, path, rect=None):
        """Saves the screen (or rect = (left, top, width, height) of it) as a PNG."""
        cmd = ["import", "-window", "root"]
        if rect:
            cmd += ["-crop", "%dx%d+%d+%d" % (rect[2], rect[3], rect[0], rect[1])]
        subprocess.run(cmd + [path], check=True, env=self.env)
        return path

    def pixels(self, path):
        """The PNG's pixels as a dict-like (x, y) -> (r, g, b) through ImageMagick."""
        return picture_pixels(path)

    def tray_icon(self, shown=True):
        """Our XEmbed tray icon window (it carries _XEMBED_INFO) when it is shown, or
        wherever it is with shown=False."""
        xembed = self.x.intern_atom("_XEMBED_INFO")
        pid_atom = self.x.intern_atom("_NET_WM_PID")
        pending = [self.x.screen().root]
        while pending:
            window = pending.pop()
            try:
                children = window.query_tree().children
            except Exception:
                continue
            for child in children:
                try:
                    pid = child.get_full_property(pid_atom, X.AnyPropertyType)
                    if (pid and pid.value[0] == self.proc.pid
                            and child.get_full_property(xembed, X.AnyPropertyType)
                            and (not shown
                                 or child.get_attributes().map_state == X.IsViewable)):
                        return child
                except Exception:
                    pass
                pending.append(child)
        return None

    def tray_icon_centre(self):
        icon = wait_for(self.tray_icon, what="the icon in the tray")
        left, top, width, height = self.geometry(icon)
        return left + width // 2, top + height // 2

    def stacking(self):
        """The managed windows, bottom to top, as the window manager stacks them."""
        root = self.x.screen().root
        prop = root.get_full_property(self.x.intern_atom("_NET_CLIENT_LIST_STACKING"), Xatom.WINDOW)
        return list(prop.value) if prop else []

    def above(self, upper, lower):
        order = self.stacking()
        return upper.id in order and lower.id in order and order.index(upper.id) > order.index(lower.id)

    def cover(self, test):
        """A plain managed window of the test's own over the clock, destroyed when the
        test ends."""
        main = self.window("Form1")
        left, top, width, height = self.geometry(main)
        screen = self.x.screen()
        cover = screen.root.create_window(left - 20, top - 20, width + 40, height + 40, 0,
                                          screen.root_depth, X.InputOutput, X.CopyFromParent,
                                          background_pixel=screen.white_pixel)
        cover.set_wm_name("cover")
        cover.map()
        self.x.flush()
        test.addCleanup(lambda: (cover.destroy(), self.x.flush()))
        wait_for(lambda: self.above(cover, main), what="the covering window over the clock")
        return cover

    # --- input -----------------------------------------------------------------------

    def click(self, x, y, button=1):
        click(x, y, button)

    def right_click_menu(self, x, y, tries=3):
        """Opens the pop-up menu at a screen point and returns its window. A click that
        brought no menu within a few seconds is made again: under Wine a click soon after
        the window first shows is now and then lost."""
        for attempt in range(1, tries + 1):
            self.click(x, y, 3)
            try:
                return wait_for(self.popup_window, timeout=5.0, what="pop-up menu")
            except AssertionError:
                if attempt == tries:
                    raise

    def popup_window(self):
        for w in self.windows():
            attrs = w.get_attributes()
            if attrs.override_redirect and attrs.map_state == X.IsViewable:
                return w
        return None


class MoveRequests:
    """Watches the root window for the clients' requests to the window manager to move a
    window with the pointer (_NET_WM_MOVERESIZE, sent to the root window)."""

    def __init__(self, x):
        self.x = x
        self.atom = x.intern_atom("_NET_WM_MOVERESIZE")
        x.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        x.sync()
        self.requests = []

    def seen(self):
        """The root position (x, y) the first request carries, once one came."""
        while self.x.pending_events():
            e = self.x.next_event()
            if e.type == X.ClientMessage and e.client_type == self.atom:
                self.requests.append(tuple(e.data[1][:2]))
        return self.requests[0] if self.requests else None


def pointer_to(x, px, py):
    """Moves the pointer to (px, py) on the screen of connection x. "mousemove --sync"
    waits for a motion, which never comes when the pointer is there already."""
    here = x.screen().root.query_pointer()
    if (here.root_x, here.root_y) != (px, py):
        xdotool("mousemove", "--sync", px, py)


def drag(clock, window, start, delta, steps=1):
    """Drags with the left button from start (window coordinates) by delta, as a person
    does: press, move the pointer (in steps), release. Returns the root position the
    program's move request carried."""
    left, top, _, _ = clock.geometry(window)
    px, py = left + start[0], top + start[1]
    dx, dy = delta
    requests = MoveRequests(clock.x)
    pointer_to(clock.x, px, py)
    xdotool("mousedown", 1)
    try:
        # The program asks for the move at the first motion with the button down, and
        # the window manager takes the pointer over once it has read the request: keep
        # moving until the window follows, then settle on the end point.
        for n in range(1, steps):
            xdotool("mousemove", "--sync", px + dx * n // steps, py + dy * n // steps)
        step = [0]

        def follows():
            step[0] ^= 1
            xdotool("mousemove", "--sync", px + dx + step[0], py + dy)
            return clock.geometry(window)[:2] != (left, top)
        wait_for(follows, what="the window to follow the pointer")
        asked = wait_for(requests.seen, what="the program's move request")
        pointer_to(clock.x, px + dx, py + dy)
        try:
            wait_for(lambda: clock.geometry(window)[:2] == (left + dx, top + dy), timeout=5,
                     what="the window at the drag's end")
        except AssertionError:
            pass  # the caller compares the place it has
    finally:
        xdotool("mouseup", 1)
    return asked


def window_manager_round_trip(x):
    """Returns once the window manager has handled everything the X server sent it before
    this call: it answers a _NET_REQUEST_FRAME_EXTENTS for a fresh window, in turn."""
    screen = x.screen()
    probe = screen.root.create_window(0, 0, 10, 10, 0, screen.root_depth,
                                      event_mask=X.PropertyChangeMask)
    extents = x.intern_atom("_NET_FRAME_EXTENTS")
    screen.root.send_event(
        event.ClientMessage(window=probe, client_type=x.intern_atom("_NET_REQUEST_FRAME_EXTENTS"),
                            data=(32, [0] * 5)),
        event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
    x.flush()
    try:
        wait_for(lambda: probe.get_full_property(extents, X.AnyPropertyType),
                 what="the window manager's answer")
    finally:
        probe.destroy()
        x.flush()


def program_round_trip(clock, window):
    """Returns once the program has handled the input the X server sent it before this
    call. Qt answers the window manager's _NET_WM_PING while it reads X events, and hands
    the input it read to the widgets afterwards: the answer to a second ping, sent once
    the first is answered, comes after that."""
    x = xdisplay.Display(clock.env.get("DISPLAY"))
    try:
        # Qt sends its answer to the root window for StructureNotify listeners.
        x.screen().root.change_attributes(event_mask=X.StructureNotifyMask)
        protocols, ping = x.intern_atom("WM_PROTOCOLS"), x.intern_atom("_NET_WM_PING")
        target = x.create_resource_object("window", window.id)
        for stamp in (1, 2):
            target.send_event(event.ClientMessage(window=target, client_type=protocols,
                                                  data=(32, [ping, stamp, window.id, 0, 0])))
            x.flush()

            def answered():
                while x.pending_events():
                    e = x.next_event()
                    if (e.type == X.ClientMessage and e.client_type == protocols
                            and tuple(e.data[1][:2]) == (ping, stamp)):
                        return True
                return False
            wait_for(answered, what="the program's answer to a ping")
    finally:
        x.close()


# Presses and releases of the left button without motion: xdotool's click, and a press
# and release sent back to back as a touchpad's tap sends them.
CLICKS = {"click": ["click", 1], "tap": ["mousedown", 1, "mouseup", 1]}


def click_and_move_away(clock, window, how, start=(180, 60), away=(-300, -200)):
    """Clicks (CLICKS[how]) at start (window coordinates), waits until the program and
    then the window manager have read the click, moves the pointer away in two steps and
    waits until the window manager has read that too. Returns the window's place before
    and after: a move left running by the click carries the window with the pointer (it is
    ended with another click, which the window manager takes, so that the next row starts
    afresh)."""
    left, top, _, _ = clock.geometry(window)
    px, py = left + start[0], top + start[1]
    pointer_to(clock.x, px, py)
    xdotool(*CLICKS[how])
    program_round_trip(clock, window)
    window_manager_round_trip(clock.x)
    xdotool("mousemove", "--sync", px + away[0] // 2, py + away[1] // 2)
    xdotool("mousemove", "--sync", px + away[0], py + away[1])
    window_manager_round_trip(clock.x)
    after = clock.geometry(window)[:2]
    if after != (left, top):
        xdotool("click", 1)
        window_manager_round_trip(clock.x)
    return (left, top), after


def text_lines(path, min_height=6, margin=3):
    """How many lines of text a picture of a menu shows: the bands of rows, inside a
    margin for the border, with pixels of another colour than the most common one, at
    least min_height rows high (thinner bands are separators)."""
    width, height, raw = picture_pixels(path)
    background = collections.Counter(raw[i:i + 3] for i in range(0, len(raw), 3)).most_common(1)[0][0]
    bands, run = 0, 0
    for y in range(margin, height - margin + 1):
        drawn = y < height - margin and any(
            raw[(y * width + x) * 3:(y * width + x) * 3 + 3] != background
            for x in range(margin, width - margin))
        if drawn:
            run += 1
        else:
            bands += run >= min_height
            run = 0
    return bands


def picture_pixels(path):
    """A picture file's pixels: (width, height, RGB bytes row by row) through ImageMagick."""
    out = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True,
                          capture_output=True, text=True).stdout.split()
    return int(size[0]), int(size[1]), out


def opaque_pixels(path, transparent=(255, 255, 255)):
    """The set of (x, y) of a picture whose colour is not the transparent one."""
    width, height, raw = picture_pixels(path)
    return {(x, y) for y in range(height) for x in range(width)
            if pixel_at(raw, width, x, y) != transparent}


def pixel_at(raw, width, x, y):
    i = (y * width + x) * 3
    return tuple(raw[i:i + 3])


if UNDER_WINE:
    from wine import WineClock as Clock  # noqa: E402,F401,F811
