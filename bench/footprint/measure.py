"""What the footprint benches share: a program's cost read from /proc (resident memory,
on-processor time and context switches of all its threads), our connection to the X
server that finds a program's windows and counts the drawing on them (X Damage), and
Veludor's stopwatch run driven through its pop-up menu and its button, as a person does.
bench/footprint/footprint (Veludor on Linux) and footprint-windows (veludor.exe under
Wine) import it."""
import os
import select
import subprocess
import sys
import time

from Xlib import X, display as xdisplay, error as xerror
from Xlib.ext import damage

STOPWATCH_S = 10.0     # stopwatch sampling period
WINDOW_TIMEOUT_S = 30.0

def log(*args):
    print(*args, file=sys.stderr, flush=True)


# --- /proc ------------------------------------------------------------------------------

def read(path):
    with open(path, encoding="ascii", errors="replace") as f:
        return f.read()


def rss_kib(pid):
    for line in read("/proc/%d/status" % pid).splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise RuntimeError("no VmRSS for %d" % pid)


def libraries(pid):
    """The shared libraries mapped into the process, by file name."""
    names = set()
    for line in read("/proc/%d/maps" % pid).splitlines():
        parts = line.split(None, 5)
        if len(parts) == 6 and ".so" in os.path.basename(parts[5]):
            names.add(os.path.basename(parts[5].strip()))
    return names


def snapshot(pid):
    """{tid: (on-processor ns, context switches)} for every thread of the process."""
    result = {}
    task_dir = "/proc/%d/task" % pid
    for tid in os.listdir(task_dir):
        try:
            run_ns = int(read(os.path.join(task_dir, tid, "schedstat")).split()[0])
            switches = 0
            for line in read(os.path.join(task_dir, tid, "status")).splitlines():
                if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")):
                    switches += int(line.split()[1])
        except (OSError, ValueError, IndexError):
            continue  # the thread ended meanwhile
        result[int(tid)] = (run_ns, switches)
    return result


def delta(before, after):
    """Processor ns and context switches between two snapshots (threads born meanwhile
    count from zero; threads that ended meanwhile are lost, so sample while they run)."""
    cpu = sum(a[0] - before.get(t, (0, 0))[0] for t, a in after.items())
    switches = sum(a[1] - before.get(t, (0, 0))[1] for t, a in after.items())
    return cpu, switches


# --- X server ---------------------------------------------------------------------------

class Screen:
    """Our connection to the private X server: finds a program's windows and counts
    the drawing on them."""

    def __init__(self):
        self.x = xdisplay.Display()
        self.root = self.x.screen().root
        self.pid_atom = self.x.intern_atom("_NET_WM_PID")
        self.name_atom = self.x.intern_atom("_NET_WM_NAME")
        if not self.x.has_extension("DAMAGE"):
            raise RuntimeError("the X server has no DAMAGE extension")
        self.x.damage_query_version()
        self.damage_event = self.x.extension_event.DamageNotify
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.x.sync()
        self.stamps = {}  # damage object -> server milliseconds at which its window was drawn on
        self.arrivals = {}  # damage object -> wall-clock times (s) at which its reports arrived

    def close(self):
        self.x.close()

    def pump(self, timeout):
        """Handles X events for up to timeout seconds; True when any arrived."""
        got = False
        if self.x.pending_events() == 0:
            readable, _, _ = select.select([self.x.fileno()], [], [], max(0.0, timeout))
            if not readable:
                return False
        while self.x.pending_events():
            ev = self.x.next_event()
            got = True
            if ev.type == self.damage_event and ev.damage in self.stamps:
                self.stamps[ev.damage].add(ev.timestamp)
                self.arrivals[ev.damage].append(time.time())
        return got

    def wait(self, seconds):
        """Handles X events (counting the drawing) for that long."""
        end = time.monotonic() + seconds
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return
            self.pump(left)

    def toplevels(self):
        try:
            return list(self.root.query_tree().children)
        except xerror.XError:
            return []

    def props(self, w):
        """(pid or None, WM_CLASS tuple or None, title) of a window; None when gone."""
        try:
            prop = w.get_full_property(self.pid_atom, X.AnyPropertyType)
            pid = int(prop.value[0]) if prop and len(prop.value) else None
            cls = w.get_wm_class()
            title = w.get_wm_name()
            if not title:
                net = w.get_full_property(self.name_atom, X.AnyPropertyType)
                title = net.value if net else ""
            if isinstance(title, bytes):
                title = title.decode("utf-8", "replace")
            return pid, cls, title
        except xerror.XError:
            return None

    def find(self, pid, wm_class, title, skip):
        """The program's viewable top-level window (a root child or a window manager
        frame's child), with that title when one is given, or None."""
        for top in self.toplevels():
            if top.id in skip:
                continue
            try:
                candidates = [top] + list(top.query_tree().children)
            except xerror.XError:
                continue
            for w in candidates:
                p = self.props(w)
                if p is None:
                    continue
                mine = p[0] == pid if p[0] is not None else (wm_class and p[1] and wm_class in p[1])
                if not mine or (title is not None and p[2] != title):
                    continue
                try:
                    if w.get_attributes().map_state == X.IsViewable:
                        return w, p[2]
                except xerror.XError:
                    pass
        return None

    def wait_window(self, pid, wm_class, title, skip, proc, timeout=WINDOW_TIMEOUT_S):
        """Waits for the program's first viewable window, looking again at each map
        notification (and every 100 ms in case one was missed)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.pump(0.1)
            found = self.find(pid, wm_class, title, skip)
            if found:
                return time.monotonic(), found[0], found[1]
            if proc.poll() is not None:
                raise RuntimeError("the program ended before showing a window (status %s)" % proc.returncode)
        raise RuntimeError("no window within %d s" % timeout)

    def watch(self, window):
        """Starts counting the drawing on a window: the server milliseconds at which
        damage was reported. Returns the damage object."""
        d = window.damage_create(damage.DamageReportRawRectangles)
        self.x.sync()
        self.stamps[d] = set()
        self.arrivals[d] = []
        return d

    def unwatch(self, d):
        self.arrivals.pop(d, None)
        if self.stamps.pop(d, None) is not None:
            try:
                self.x.damage_destroy(d)
                self.x.sync()
            except xerror.XError:
                pass

    def updates(self, d):
        """Drawing reports counted since the last call (by distinct server millisecond)."""
        count = len(self.stamps.get(d, ()))
        if d in self.stamps:
            self.stamps[d] = set()
        return count

    def phases(self, d):
        """How long after each wall-clock second the window was first drawn on in that
        second (ms), for the reports since the last call: how late a clock's face is."""
        firsts = {}
        for t in self.arrivals.get(d, ()):
            firsts.setdefault(int(t), (t - int(t)) * 1000.0)
        if d in self.arrivals:
            self.arrivals[d] = []
        return sorted(firsts.values())

    def pixels(self, window, rect):
        x, y, w, h = rect
        return window.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF).data

    def origin(self, window):
        t = window.translate_coords(self.root, 0, 0)
        return -t.x, -t.y


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True)


# --- sampling -------------------------------------------------------------------------

def sample(screen, running, seconds):
    """Leaves the running programs alone for that long, all in the same period so that
    the load of the machine weighs on all alike. {label: figures}: processor ms per
    minute (and per second), wake-ups per second, window updates per second; and per
    thread ("per_thread": {tid: (name, processor ms per minute, wake-ups per second)})."""
    before = {label: snapshot(r.pid) for label, r in running.items()}
    for r in running.values():
        screen.updates(r.damage)
        screen.phases(r.damage)
    t0 = time.monotonic()
    screen.wait(seconds)
    after = {label: snapshot(r.pid) for label, r in running.items()}
    elapsed = time.monotonic() - t0
    result = {}
    for label, r in running.items():
        cpu_ns, switches = delta(before[label], after[label])
        result[label] = {
            "cpu_ms_min": cpu_ns / 1e6 * 60.0 / elapsed,
            "cpu_ms_s": cpu_ns / 1e6 / elapsed,
            "wakeups": switches / elapsed,
            "updates": screen.updates(r.damage) / elapsed,
            "rss": rss_kib(r.pid) / 1024.0,
            "phases": screen.phases(r.damage),
            "per_thread": per_thread(r.pid, before[label], after[label], elapsed),
        }
    return result


def per_thread(pid, before, after, elapsed):
    """{tid: (name, processor ms per minute, wake-ups per second)} between two snapshots,
    the name as the thread set it (/proc/<pid>/task/<tid>/comm) or "?" once it ended."""
    result = {}
    for tid, (run_ns, switches) in after.items():
        run0, switches0 = before.get(tid, (0, 0))
        try:
            name = read("/proc/%d/task/%d/comm" % (pid, tid)).strip()
        except OSError:
            name = "?"
        result[tid] = (name, (run_ns - run0) / 1e6 * 60.0 / elapsed, (switches - switches0) / elapsed)
    return result


# --- Veludor's scenarios ----------------------------------------------------------------

# Points of the main window (client coordinates): a right click on the skin opens the
# menu; Button3 (27, 63) starts and stops the stopwatch.
MENU_POINT = (110, 50)
MENU_TRIES = 3
BUTTON3_POINT = (27 + 60, 63 + 10)


def popup_open(screen, pid):
    for top in screen.toplevels():
        try:
            attrs = top.get_attributes()
        except xerror.XError:
            continue
        if attrs.override_redirect and attrs.map_state == X.IsViewable:
            p = screen.props(top)
            if p and p[0] == pid:
                return True
    return False


def until(condition, what, timeout=10.0):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise RuntimeError("timed out waiting for " + what)
        time.sleep(0.02)


def click(screen, inst, point, button=1):
    left, top = screen.origin(inst.window)
    xdotool("mousemove", "--sync", left + point[0], top + point[1])
    xdotool("click", button)


def menu_command(screen, inst, keys):
    """Opens the window's pop-up menu and chooses an item with the keyboard. A click
    that brought no menu within a few seconds is made again (under Wine the first one
    after a while is now and then lost)."""
    for attempt in range(MENU_TRIES):
        click(screen, inst, MENU_POINT, 3)
        try:
            until(lambda: popup_open(screen, inst.pid), "the pop-up menu", timeout=4.0)
            break
        except RuntimeError:
            if attempt == MENU_TRIES - 1:
                raise
            log("   no pop-up menu yet; right-clicking again")
    for key in keys:
        xdotool("key", key)
    until(lambda: not popup_open(screen, inst.pid), "the pop-up menu to close")


def thread_count(pid):
    return len(os.listdir("/proc/%d/task" % pid))


def stopwatch(screen, veludor, by_drawing=False):
    """Starts a stopwatch run from its view, samples it, stops it; back to the clock.
    The run's start and end are told by the stopwatch worker's thread coming and going,
    or, with by_drawing, by the window drawing the running figures and ceasing to (under
    Wine a thread of Wine's own comes and goes each second)."""
    menu_command(screen, veludor, ["Down", "Down", "Down", "Return"])  # "Chronometre"
    screen.wait(1.0)
    threads = thread_count(veludor.pid)

    def started():
        if by_drawing:
            return drawing_rate(screen, veludor) > RUN_DRAWING_RATE
        return thread_count(veludor.pid) > threads

    def ended():
        if by_drawing:
            return drawing_rate(screen, veludor) < IDLE_DRAWING_RATE
        return thread_count(veludor.pid) <= threads

    click(screen, veludor, BUTTON3_POINT)
    until(started, "the stopwatch run")
    screen.wait(1.0)
    figures = sample(screen, {"v": veludor}, STOPWATCH_S)["v"]
    click(screen, veludor, BUTTON3_POINT)
    until(ended, "the run to end")
    menu_command(screen, veludor, ["v"])  # "&Veludor": the clock view
    return figures


# Window updates per second of the stopwatch view: a run draws its figures hundreds of
# times a second, a stopped one at most once a second.
RUN_DRAWING_RATE = 20.0
IDLE_DRAWING_RATE = 5.0


def drawing_rate(screen, inst, seconds=0.5):
    """The window updates per second of the program's window over the next moment."""
    screen.updates(inst.damage)
    screen.wait(seconds)
    return screen.updates(inst.damage) / seconds


# --- the report -------------------------------------------------------------------------

def ratio(value, reference):
    if reference is None or value is None:
        return ""
    if reference <= 0:
        return "-" if value > 0 else "1.00"
    return "%.2f" % (value / reference)
