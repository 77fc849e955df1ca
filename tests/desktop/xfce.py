"""A Debian desktop as a test peer: xfwm4 with xfce4-panel and its status tray.

XfceSession is an XSession (Xvfb 1920 x 1080) whose window manager is xfwm4, compositing
off, and which runs xfce4-panel: one panel of PANEL_SIZE pixels across the bottom or the
top of the screen, holding an expanding separator and, at its right end, the status tray
plugin, which hosts StatusNotifierItems (with a watcher of its own) and XEmbed icons. The
desktop's programs share a private session bus, which starts xfconfd, the settings
daemon, and a temporary HOME, whose xfconf folder holds the panel configuration written
here (a background of one colour, on which the tray's items show). Nothing of the
machine's own session is used.

    with XfceSession("top") as desktop:
        env = desktop.bus.env             # the program's session bus: the tray's watcher
        desktop.work_area()               # (left, top, width, height) from _NET_WORKAREA
        desktop.panel_geometry()          # the panel's window on the screen
        desktop.drawn_box(shot)           # where the panel draws on its own background
"""
import os
import shutil
import subprocess
import tempfile

from Xlib import X, Xatom

from desktop import picture_pixels, pixel_at, wait_for
from sni_host import SessionBus
from xsession import MONITOR, XSession

PROGRAMS = ("xfwm4", "xfce4-panel", "dbus-daemon")
PANEL_SIZE = 30
# The panel's snap positions across a whole edge, from the left end (xfce4-panel's
# numbering): bottom-left and top-left; a length of 100 % spans the edge.
EDGES = {"bottom": 8, "top": 6}
WATCHER = "org.kde.StatusNotifierWatcher"

PANEL_XML = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=%(snap)d;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="%(size)d"/>
      <property name="background-style" type="uint" value="1"/>
      <property name="background-rgba" type="array">
        <value type="double" value="0.2"/>
        <value type="double" value="0.2"/>
        <value type="double" value="0.2"/>
        <value type="double" value="1"/>
      </property>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
        <value type="int" value="2"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>
    <property name="plugin-2" type="string" value="systray"/>
  </property>
</channel>
"""


def missing():
    return [p for p in PROGRAMS if not shutil.which(p)]


class XfceSession(XSession):
    """edge: "bottom" or "top", where the panel stands; None for xfwm4 alone."""

    def __init__(self, edge="bottom"):
        super().__init__()
        self.edge = edge
        self.bus = None
        self.home = tempfile.mkdtemp(prefix="veludor-xfce-")
        self.user = {
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
            "XDG_RUNTIME_DIR": self.home,
            # No accessibility bus: GTK would look for one on the session bus.
            "NO_AT_BRIDGE": "1",
            "GDK_BACKEND": "x11",
        }

    def _start(self):
        channel = os.path.join(self.user["XDG_CONFIG_HOME"], "xfce4", "xfconf",
                               "xfce-perchannel-xml")
        os.makedirs(channel)
        with open(os.path.join(channel, "xfce4-panel.xml"), "w") as f:
            f.write(PANEL_XML % {"snap": EDGES.get(self.edge, 8), "size": PANEL_SIZE})
        # xfconfd is started by the bus, in the bus's environment: the private HOME.
        self.bus = SessionBus(env=dict(os.environ, **self.user))
        super()._start()
        if self.edge:
            self._start_panel()

    def window_manager(self):
        return ["xfwm4", "--compositor=off", "--sm-client-disable"]

    def session_env(self):
        return dict(super().session_env(), **self.user, **self.bus.env)

    def stop(self):
        super().stop()
        if self.bus is not None:
            self.bus.stop()
            self.bus = None
        shutil.rmtree(self.home, ignore_errors=True)

    # --- the panel -------------------------------------------------------------------

    def _start_panel(self):
        self.procs.append(subprocess.Popen(["xfce4-panel", "--sm-client-disable"],
                                           env=self.session_env(), stdout=self.log,
                                           stderr=subprocess.STDOUT))
        full = (0, 0) + MONITOR
        wait_for(lambda: self.work_area() not in (None, full), timeout=30,
                 what="the panel's strut in the work area")
        owner = self.x.intern_atom("_NET_SYSTEM_TRAY_S0")
        wait_for(lambda: self.x.get_selection_owner(owner) != X.NONE
                 and self.bus.has_owner(WATCHER), timeout=30, what="the panel's status tray")

    def work_area(self):
        """(left, top, width, height) of the current desktop's work area."""
        root = self.x.screen().root
        prop = root.get_full_property(self.x.intern_atom("_NET_WORKAREA"), Xatom.CARDINAL)
        return tuple(prop.value[:4]) if prop and len(prop.value) >= 4 else None

    def panel_window(self):
        """The panel's dock window among the managed ones."""
        atom = self.x.intern_atom
        root = self.x.screen().root
        clients = root.get_full_property(atom("_NET_CLIENT_LIST"), Xatom.WINDOW)
        for wid in clients.value if clients else []:
            window = self.x.create_resource_object("window", wid)
            kind = window.get_full_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM)
            if kind and atom("_NET_WM_WINDOW_TYPE_DOCK") in kind.value:
                return window
        return None

    def panel_geometry(self):
        window = wait_for(self.panel_window, what="the panel's window")
        g = window.get_geometry()
        t = window.translate_coords(self.x.screen().root, 0, 0)
        return (-t.x, -t.y, g.width, g.height)

    def screenshot_panel(self, path):
        left, top, width, height = self.panel_geometry()
        subprocess.run(["import", "-window", "root", "-crop",
                        "%dx%d+%d+%d" % (width, height, left, top), path], check=True,
                       env=self.session_env())
        return path

    def drawn_box(self, path):
        """The bounding box (left, top, width, height, in screen coordinates) of what the
        panel's screenshot shows on the panel's background, None when nothing: the panel
        holds nothing else than the tray's items."""
        left, top, _, _ = self.panel_geometry()
        width, height, raw = picture_pixels(path)
        background = pixel_at(raw, width, 0, height // 2)
        drawn = [(x, y) for y in range(height) for x in range(width)
                 if pixel_at(raw, width, x, y) != background]
        if not drawn:
            return None
        xs, ys = [x for x, _ in drawn], [y for _, y in drawn]
        return (left + min(xs), top + min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
