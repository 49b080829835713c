'''The user's service manager on the session bus, as far as korvad uses it:
StartUnit(name, mode) answers a job's path. The call log tells what was
started.
'''

import dbus

BUS_NAME = 'org.freedesktop.systemd1'
MAIN_OBJ = '/org/freedesktop/systemd1'
MAIN_IFACE = 'org.freedesktop.systemd1.Manager'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddMethod(MAIN_IFACE, 'StartUnit', 'ss', 'o', 'ret = dbus.ObjectPath("/org/freedesktop/systemd1/job/1")')
