"""GNOME Shell as a peer of the desktop tests: headless, with the AppIndicator extension.

`gnome-shell --headless --wayland --virtual-monitor 1920x1080` runs as compositors.py
runs mutter (dbus-run-session, a process group of its own, a private XDG_RUNTIME_DIR),
and besides has a private HOME whose settings (GLib's keyfile backend) enable the
AppIndicator extension, and a private system bus, so that nothing of the machine's is
used. The shell starts Xwayland for X clients.

A small extension of our own, installed in that HOME, opens the shell to the tests: it
sets the shell's unsafe mode, so that org.gnome.Shell.Eval runs JavaScript in it, and,
once the shell has started up, writes the shell's environment (the session bus,
DISPLAY, XAUTHORITY, WAYLAND_DISPLAY) into a file, from which client_env() hands it on.

    with gnome.Shell() as shell:
        env = shell.client_env()          # for the program under test
        shell.watcher_items()             # what the extension's watcher lists
        shell.eval("global.display.get_n_monitors()")   # -> 1
        shell.log_text()                  # the shell's log (the extension warns there)
"""
import json
import os
import signal
import subprocess

import compositors
from desktop import wait_for
from sni_host import BusConnection
from gi.repository import GLib

APPINDICATOR = "ubuntu-appindicators@ubuntu.com"
PROBE = "veludor-probe@veludor.test"
WATCHER = "org.kde.StatusNotifierWatcher"

PROBE_JS = """
const { GLib } = imports.gi;
const Main = imports.ui.main;

function init() {}

function report() {
    // GLib writes the file aside and renames it: it is whole once it is there.
    GLib.file_set_contents(GLib.getenv('VELUDOR_SHELL_ENV'), GLib.get_environ().join('\\n'));
}

function enable() {
    global.context.unsafe_mode = true;
    if (Main.layoutManager._startingUp)
        Main.layoutManager.connect('startup-complete', report);
    else
        report();
}

function disable() {}
"""

SYSTEM_BUS = """<busconfig>
  <type>system</type>
  <listen>unix:path=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/> <allow own="*"/> <allow send_destination="*"/> <allow receive_sender="*"/>
  </policy>
</busconfig>
"""


def missing():
    """What of the shell and its extension is not installed."""
    lacking = compositors.missing(*Shell.programs)
    if not os.path.isdir("/usr/share/gnome-shell/extensions/" + APPINDICATOR):
        lacking.append(APPINDICATOR)
    return lacking


def ensure_x11_socket_dir():
    """Xwayland's socket folder as X servers make it, world-writable and sticky: mutter
    refuses to start Xwayland when the folder it finds is otherwise, and makes it
    otherwise itself (through the umask) when it is missing."""
    path = "/tmp/.X11-unix"
    os.makedirs(path, exist_ok=True)
    info = os.stat(path)
    if info.st_mode & 0o1777 != 0o1777 and info.st_uid == os.geteuid():
        os.chmod(path, 0o1777)


class Shell(compositors.Compositor):
    name = "gnome-shell"
    programs = ("gnome-shell", "Xwayland", "dbus-run-session", "dbus-daemon")

    def command(self):
        ensure_x11_socket_dir()
        home = os.path.join(self.dir, "home")
        settings = os.path.join(home, ".config", "glib-2.0", "settings")
        probe = os.path.join(home, ".local", "share", "gnome-shell", "extensions", PROBE)
        os.makedirs(settings)
        os.makedirs(probe)
        with open(os.path.join(settings, "keyfile"), "w") as f:
            f.write("[org/gnome/shell]\nenabled-extensions=['%s', '%s']\n"
                    "disable-user-extensions=false\n" % (APPINDICATOR, PROBE))
        with open(os.path.join(probe, "metadata.json"), "w") as f:
            json.dump({"uuid": PROBE, "name": "Veludor test probe", "description": "tests",
                       "shell-version": ["43", "44"]}, f)
        with open(os.path.join(probe, "extension.js"), "w") as f:
            f.write(PROBE_JS)
        config = os.path.join(self.dir, "system-bus.conf")
        with open(config, "w") as f:
            f.write(SYSTEM_BUS % self.system_bus)
        # The system bus first, in the same process group, so that stop() ends it too.
        script = ('dbus-daemon --config-file="$1" --nofork --print-address=3 3>"$2" & '
                  'while [ ! -s "$2" ]; do sleep 0.02; done; shift 2; exec "$@"')
        return ["sh", "-c", script, "sh", config, os.path.join(self.dir, "system-bus.address"),
                "gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                "%dx%d" % (compositors.WIDTH, compositors.HEIGHT)]

    @property
    def system_bus(self):
        return os.path.join(self.dir, "system-bus")

    def extra_env(self):
        home = os.path.join(self.dir, "home")
        return {"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
                "XDG_CACHE_HOME": os.path.join(home, ".cache"),
                "GSETTINGS_BACKEND": "keyfile", "VELUDOR_SHELL_ENV": self.env_file,
                "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=" + self.system_bus}

    def wait_ready(self, timeout):
        session = super().wait_ready(timeout)
        self.bus = BusConnection(session["DBUS_SESSION_BUS_ADDRESS"])
        self.shell_pid = self.bus.pid_of("org.gnome.Shell")
        wait_for(lambda: self.bus.has_owner(WATCHER), timeout=timeout,
                 what="the AppIndicator extension's watcher")
        return session

    def stop(self):
        """Asks the shell to quit first: so it takes away its X displays' lock files and
        sockets, which a killed shell leaves in /tmp."""
        if getattr(self, "bus", None):
            self.bus.close()
            self.bus = None
        if getattr(self, "shell_pid", None) and self.proc.poll() is None:
            os.kill(self.shell_pid, signal.SIGTERM)
            try:
                self.proc.wait(5)  # dbus-run-session ends with the shell
            except subprocess.TimeoutExpired:
                pass
        super().stop()

    def client_env(self):
        return dict(super().client_env(),
                    DBUS_SESSION_BUS_ADDRESS=self.session["DBUS_SESSION_BUS_ADDRESS"])

    # --- what the shell knows ----------------------------------------------------------

    def eval(self, script):
        """The JSON value of a JavaScript expression evaluated in the shell."""
        ok, result = self.bus.call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell",
                                   "Eval", "s", (script,))
        if not ok:
            raise AssertionError("the shell could not evaluate %r: %s" % (script, result))
        return json.loads(result) if result else None

    def watcher_items(self):
        return self.bus.property(WATCHER, "/StatusNotifierWatcher", WATCHER,
                                 "RegisteredStatusNotifierItems")

    def items_of(self, pid):
        """The watcher's items served by process pid. The extension names an item after
        the name it registered ("org.kde.StatusNotifierItem-<pid>-<n>") or, for a unique
        name or a path, "<unique name>@<path>"."""
        found = []
        for item in self.watcher_items():
            try:
                if self.bus.pid_of(item.split("@")[0]) == pid:
                    found.append(item)
            except GLib.Error:
                pass  # gone meanwhile
        return found

    def indicator(self, item):
        """The top bar's icon of a watcher's item: {shown: ready and visible, menu: the
        labels of its menu, separators left out}, or None while the bar has none."""
        return self.eval("""(() => {
            const icon = imports.ui.main.panel.statusArea['appindicator-' + %s];
            if (!icon) return null;
            const separator = imports.ui.popupMenu.PopupSeparatorMenuItem;
            return {shown: !!icon.isReady() && icon.visible,
                    menu: icon.menu._getMenuItems().filter(i => !(i instanceof separator))
                        .map(i => i.label.text)};
        })()""" % json.dumps(item))

    def log_text(self):
        self.log.flush()
        with open(self.log.name, encoding="utf-8", errors="replace") as f:
            return f.read()
