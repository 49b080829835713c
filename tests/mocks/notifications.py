'''Desktop notification server mock (session bus, org.freedesktop.Notifications,
object /org/freedesktop/Notifications).

Load with
  /usr/bin/python3 -m dbusmock --template tests/mocks/notifications.py -p '{...}'

Methods:
  Notify(s app, u replaces_id, s icon, s summary, s body, as actions,
         a{sv} hints, i timeout) -> u
      ids count 1, 2, ...; a replaces_id of a notification that is still
      open is returned again (the notification is updated in place)
  CloseNotification(u id)   open id: NotificationClosed(id, 3) after the
                            reply; unknown or already closed id: no signal
  GetCapabilities() -> as
  GetServerInformation() -> (ssss)

Parameters (JSON keys, all optional):
  refuse        Notify fails with org.freedesktop.DBus.Error.Failed
                                                    (default false)
  capabilities  list returned by GetCapabilities
                (default ["actions", "body", "body-markup", "persistence", "sound"])

Control methods (org.freedesktop.DBus.Mock on the main object):
  SetRefuse(b)                       switch refusing on/off
  DismissNotification(u id, u reason)
                                     close an open notification as the user
                                     (2) or expiry (1) would: emits
                                     NotificationClosed(id, reason)
  InvokeAction(u id, s key)          emit ActionInvoked(id, key)
  GetOpen() -> au                    ids of notifications still open

Every call, control ones included, is in the main object's call log; use
GetMethodCalls("Notify") to see the arguments of each Notify.
'''

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.Notifications'
MAIN_OBJ = '/org/freedesktop/Notifications'
MAIN_IFACE = 'org.freedesktop.Notifications'
SYSTEM_BUS = False

DEFAULT_CAPS = ['actions', 'body', 'body-markup', 'persistence', 'sound']


def _emit_closed(mock, nid, reason):
    # a server answers CloseNotification before it announces the close
    def send():
        mock.EmitSignal(MAIN_IFACE, 'NotificationClosed', 'uu',
                        [dbus.UInt32(nid), dbus.UInt32(reason)])
        return False
    GLib.idle_add(send, priority=GLib.PRIORITY_HIGH)


def _notify(mock, _app, replaces_id, _icon, _summary, _body, _actions, _hints, _timeout):
    if mock.refuse:
        raise dbus.exceptions.DBusException('Notifications are refused',
                                            name='org.freedesktop.DBus.Error.Failed')
    if replaces_id and int(replaces_id) in mock.open_ids:
        return dbus.UInt32(replaces_id)
    nid = mock.next_id
    mock.next_id += 1
    mock.open_ids.add(nid)
    return dbus.UInt32(nid)


def _close(mock, nid, reason):
    if int(nid) in mock.open_ids:
        mock.open_ids.discard(int(nid))
        _emit_closed(mock, nid, reason)


def load(mock, parameters):
    parameters = parameters or {}
    mock.refuse = bool(parameters.get('refuse', False))
    caps = [str(c) for c in parameters.get('capabilities', DEFAULT_CAPS)]
    mock.next_id = 1
    mock.open_ids = set()
    mock.AddMethods(MAIN_IFACE, [
        ('Notify', 'susssasa{sv}i', 'u', _notify),
        ('CloseNotification', 'u', '', lambda m, nid: _close(m, nid, 3)),
        ('GetCapabilities', '', 'as', lambda m: dbus.Array(caps, signature='s')),
        ('GetServerInformation', '', 'ssss',
         lambda m: ('mock-notifications', 'korvad tests', '1.0', '1.2')),
    ])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='b', out_signature='')
def SetRefuse(self, refuse):
    self.refuse = bool(refuse)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='uu', out_signature='')
def DismissNotification(self, nid, reason):
    if int(nid) not in self.open_ids:
        raise dbus.exceptions.DBusException(f'notification {nid} is not open',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    _close(self, nid, reason)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='us', out_signature='')
def InvokeAction(self, nid, key):
    self.EmitSignal(MAIN_IFACE, 'ActionInvoked', 'us', [dbus.UInt32(nid), key])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='au')
def GetOpen(self):
    return dbus.Array(sorted(self.open_ids), signature='u')
