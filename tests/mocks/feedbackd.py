'''feedbackd mock (session bus, org.sigxcpu.Feedback on /org/sigxcpu/Feedback).

TriggerFeedback(s app_id, s event, a{sv} hints, i timeout) -> u id: ids count
from 1000, never a client's own numbering; an empty app_id or event fails with
InvalidArgs. After the reply, an unknown event ends with reason 0xffffffff; a
known one runs until EndFeedback(u id), whose reply FeedbackEnded(id, 2) then
follows (a stop of any other id succeeds silently).
Control (org.freedesktop.DBus.Mock): FinishFeedback(u id, u reason) emits
FeedbackEnded for any id, running or not; GetRunning() -> au; FinishRange(u
first, u count) emits FeedbackEnded(id, 0) for count ids: a flood.
'''

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'org.sigxcpu.Feedback'
MAIN_OBJ = '/org/sigxcpu/Feedback'
MAIN_IFACE = 'org.sigxcpu.Feedback'
SYSTEM_BUS = False

EVENTS = {
    'sim.error', 'sim.rejected', 'sim.added', 'sim.removed', 'provisioning.query', 'pin.query',
    'cellular.positive', 'cellular.disconnected', 'sim.error.sound', 'sim.error.strong',
    'pin_query', 'query_strong', 'warning_tacticon', 'warning_strong', 'warning_snd',
}


def _emit_ended(mock, fid, reason):
    # the caller gets its id before it can hear that the feedback ended
    def send():
        mock.EmitSignal(MAIN_IFACE, 'FeedbackEnded', 'uu', [dbus.UInt32(fid), dbus.UInt32(reason)])
        return False
    GLib.idle_add(send, priority=GLib.PRIORITY_HIGH)


def _trigger(mock, app_id, event, _hints, _timeout):
    if not app_id or not event:
        raise dbus.exceptions.DBusException('app_id and event must not be empty',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    fid = mock.next_id
    mock.next_id += 1
    if str(event) in EVENTS:
        mock.running.add(fid)
    else:
        _emit_ended(mock, fid, 0xFFFFFFFF)
    return dbus.UInt32(fid)


def _end(mock, fid):
    if int(fid) in mock.running:
        mock.running.discard(int(fid))
        _emit_ended(mock, fid, 2)


def load(mock, _parameters):
    mock.next_id = 1000
    mock.running = set()
    mock.AddProperty(MAIN_IFACE, 'Profile', dbus.String('full'))
    mock.AddMethods(MAIN_IFACE, [
        ('TriggerFeedback', 'ssa{sv}i', 'u', _trigger),
        ('EndFeedback', 'u', '', _end),
    ])


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='uu', out_signature='')
def FinishFeedback(self, fid, reason):
    self.running.discard(int(fid))
    _emit_ended(self, fid, reason)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='au')
def GetRunning(self):
    return dbus.Array(sorted(self.running), signature='u')


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='uu', out_signature='')
def FinishRange(self, first, count):
    for fid in range(int(first), int(first) + int(count)):
        self.EmitSignal(MAIN_IFACE, 'FeedbackEnded', 'uu', [dbus.UInt32(fid), dbus.UInt32(0)])
