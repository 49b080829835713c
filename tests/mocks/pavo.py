'''Device mode-control service mock (system bus, com.vexa.pavo).

/com/vexa/pavo/request (com.vexa.pavo.request, and the control object):
get_radio_states() -> u (bit 0 set: radios on), get_call_state() -> s,
req_radio_states_change(u states, u mask): the bits under mask take their new
values, then radio_states_ind(bits) follows from /com/vexa/pavo/signal
(com.vexa.pavo.signal); req_tklock_mode_change(s) takes "unlocked" or
"locked", anything else fails with InvalidArgs.

Parameters (JSON, optional): radio_states (default 1), call_state (default
"none"), answer of the get_* methods: "normal", "error" (Error.Failed),
"noargs" (an empty reply), "hang" (none) or "wrongtype" (a string / a number).
Control (org.freedesktop.DBus.Mock): GetTklockMode() -> s, the last accepted
mode. Every call is logged on /com/vexa/pavo/request.
'''

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'com.vexa.pavo'
MAIN_OBJ = '/com/vexa/pavo/request'
MAIN_IFACE = 'com.vexa.pavo.request'
SYSTEM_BUS = True

SIGNAL_OBJ = '/com/vexa/pavo/signal'
SIGNAL_IFACE = 'com.vexa.pavo.signal'
ANSWERS = ('normal', 'error', 'noargs', 'hang', 'wrongtype')


def _answer(mock, value, reply, error):
    if mock.answer == 'error':
        error(dbus.exceptions.DBusException('Mode request failed', name='com.vexa.pavo.Error.Failed'))
    elif mock.answer == 'noargs':
        reply()
    elif mock.answer == 'hang':
        mock.unanswered.append(reply)
    elif mock.answer == 'wrongtype':
        reply(dbus.String(value) if isinstance(value, dbus.UInt32) else dbus.UInt32(1))
    else:
        reply(value)


def _req_radio_states_change(mock, states, mask):
    mock.radio_states = (mock.radio_states & ~int(mask) | int(states) & int(mask)) & 0xFFFFFFFF

    # the reply leaves before the signal, as from the real service
    def send():
        dbusmock.get_object(SIGNAL_OBJ).EmitSignal(SIGNAL_IFACE, 'radio_states_ind', 'u',
                                                   [dbus.UInt32(mock.radio_states)])
        return False
    GLib.idle_add(send, priority=GLib.PRIORITY_HIGH)


def _req_tklock_mode_change(mock, mode):
    if mode not in ('unlocked', 'locked'):
        raise dbus.exceptions.DBusException(f'unknown tklock mode {mode}',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    mock.tklock_mode = str(mode)


def load(mock, parameters):
    parameters = parameters or {}
    mock.radio_states = int(parameters.get('radio_states', 1))
    mock.call_state = str(parameters.get('call_state', 'none'))
    mock.answer = str(parameters.get('answer', 'normal'))
    mock.tklock_mode = ''
    mock.unanswered = []
    if mock.answer not in ANSWERS:
        raise ValueError(f'answer must be one of {ANSWERS}')
    mock.AddMethods(MAIN_IFACE, [
        ('req_radio_states_change', 'uu', '', _req_radio_states_change),
        ('req_tklock_mode_change', 's', '', _req_tklock_mode_change),
    ])
    mock.AddObject(SIGNAL_OBJ, SIGNAL_IFACE, {}, [])


# Without an output signature, so that "noargs" can answer with nothing;
# asynchronous, so that a hanging one blocks nothing else.
@dbus.service.method(MAIN_IFACE, in_signature='', async_callbacks=('reply', 'error'))
def get_radio_states(self, reply, error):
    _answer(self, dbus.UInt32(self.radio_states), reply, error)


@dbus.service.method(MAIN_IFACE, in_signature='', async_callbacks=('reply', 'error'))
def get_call_state(self, reply, error):
    _answer(self, dbus.String(self.call_state), reply, error)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='', out_signature='s')
def GetTklockMode(self):
    return self.tklock_mode
