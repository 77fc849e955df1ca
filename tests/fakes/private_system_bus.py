"""Runs a command on a private system bus, never the machine's own.

    python3 private_system_bus.py [--logind | --session] -- command [arguments...]

Starts a dbus-daemon of its own with a permissive configuration, points
DBUS_SYSTEM_BUS_ADDRESS at it, with --logind puts python3-dbusmock's logind template
on it, runs the command and stops everything afterwards. The command learns what it
got from VELUDOR_SYSTEM_BUS: "logind" or "empty". With --session it is a session bus
instead (DBUS_SESSION_BUS_ADDRESS, and VELUDOR_SESSION_BUS "private"). Needs the
system Python with python3-dbusmock.
"""
import os
import shutil
import signal
import subprocess
import sys

from dbusmock import DBusTestCase


def main(argv):
    if '--' not in argv:
        sys.exit(__doc__)
    split = argv.index('--')
    options, command = argv[1:split], argv[split + 1:]
    if not command or set(options) - {'--logind', '--session'}:
        sys.exit(__doc__)

    # Nothing may reach the machine's bus, even if the private one failed to start.
    os.environ['DBUS_SYSTEM_BUS_ADDRESS'] = 'unix:path=/nonexistent/veludor-private-bus'
    # A test runner that gives up on the command sends SIGTERM: clean up all the same.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))

    if '--session' in options:
        os.environ['DBUS_SESSION_BUS_ADDRESS'] = 'unix:path=/nonexistent/veludor-private-bus'
        DBusTestCase.start_session_bus()
        os.environ['VELUDOR_SESSION_BUS'] = 'private'
    else:
        DBusTestCase.start_system_bus()
    mock = None
    try:
        if '--session' in options:
            pass
        elif '--logind' in options:
            mock, _ = DBusTestCase.spawn_server_template('logind', {}, stdout=subprocess.DEVNULL)
            os.environ['VELUDOR_SYSTEM_BUS'] = 'logind'
        else:
            os.environ['VELUDOR_SYSTEM_BUS'] = 'empty'
        return subprocess.call(command)
    finally:
        if mock:
            mock.terminate()
            mock.wait()
        datadir = DBusTestCase._DBusTestCase__datadir
        DBusTestCase.tearDownClass()
        if datadir:
            shutil.rmtree(datadir, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main(sys.argv))
