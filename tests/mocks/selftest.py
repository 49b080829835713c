#!/usr/bin/python3
'''Checks the mock templates on private buses.

Run: /usr/bin/python3 tests/mocks/selftest.py [-v]
'''

import json
import os
import shutil
import subprocess
import sys
import time
import unittest

import dbus
import dbus.mainloop.glib
import dbusmock
from gi.repository import GLib

HERE = os.path.dirname(os.path.abspath(__file__))
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)

SIM = 'org.ofono.SimManager'
MODEM = 'org.ofono.Modem'
VCM = 'org.ofono.VoiceCallManager'


def plain(value):
    '''dbus-python value -> plain Python, for readable comparisons.'''
    if isinstance(value, dict):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Byte, int)):
        return int(value)
    return str(value)


class MockTest(dbusmock.DBusTestCase):
    TEMPLATE = None
    BUS_NAME = None
    MAIN_OBJ = None
    SYSTEM = False

    @classmethod
    def setUpClass(cls):
        cls.start_system_bus()
        cls.start_session_bus()

    def start(self, params=None, via_cli=False):
        '''Start the template, over the command line as the C++ tests do or
        through dbusmock's own API.'''
        path = os.path.join(HERE, self.TEMPLATE)
        if via_cli:
            self.proc = subprocess.Popen(
                [sys.executable, '-m', 'dbusmock', '--template', path,
                 '-p', json.dumps(params or {})], stdout=subprocess.DEVNULL)
            self.wait_for_bus_object(self.BUS_NAME, self.MAIN_OBJ, system_bus=self.SYSTEM)
        else:
            self.proc, _ = self.spawn_server_template(path, params or {},
                                                      stdout=subprocess.DEVNULL)
        self.bus = self.get_dbus(self.SYSTEM)
        self.signals = []
        self.bus.add_signal_receiver(self._on_signal, bus_name=self.BUS_NAME,
                                     path_keyword='path', member_keyword='member')

    def tearDown(self):
        if self.proc.poll() is None:
            self.proc.terminate()
        self.proc.wait()
        for _ in range(50):
            if not self.bus.name_has_owner(self.BUS_NAME):
                break
            time.sleep(0.05)
        self.bus.close()

    def _on_signal(self, *args, path=None, member=None):
        if member != 'MethodCalled':
            self.signals.append((str(path), str(member), plain(args)))

    def take_signals(self, barrier):
        '''Signals sent before barrier's reply, in order; clears the list.'''
        barrier.GetCalls(dbus_interface=dbusmock.MOCK_IFACE)
        ctx = GLib.MainContext.default()
        while ctx.iteration(False):
            pass
        got, self.signals = self.signals, []
        return got

    def assertError(self, name, method, *args, **kwargs):
        with self.assertRaises(dbus.exceptions.DBusException) as cm:
            method(*args, **kwargs)
        self.assertEqual(cm.exception.get_dbus_name(), name)


class OfonoTest(MockTest):
    TEMPLATE = 'ofono_sim.py'
    BUS_NAME = 'org.ofono'
    MAIN_OBJ = '/'
    SYSTEM = True

    def start(self, params=None, via_cli=True):
        super().start(params, via_cli)
        self.manager = self.bus.get_object('org.ofono', '/')
        self.modem = self.bus.get_object('org.ofono', '/ril_0')
        self.sim = dbus.Interface(self.modem, SIM)
        self.ctl = dbus.Interface(self.manager, dbusmock.MOCK_IFACE)

    def modem_changes(self):
        return [(s[2][0], s[2][1]) for s in self.take_signals(self.manager)
                if s[1] == 'PropertyChanged' and s[0] == '/ril_0']

    def test_pin_puk_chain_to_permanent_block(self):
        self.start()
        props = self.sim.GetProperties()
        self.assertEqual(props['PinRequired'], 'pin')
        self.assertEqual(props['Retries'].signature, 'sy')
        self.assertIsInstance(props['Retries']['pin'], dbus.Byte)
        self.assertNotIn('SubscriberIdentity', props)

        # format errors cost nothing
        for args in (('pin', '12'), ('pin', '123456789'), ('pin', '12a4'),
                     ('puk', '12345678'), ('bogus', '1234')):
            self.assertError('org.ofono.Error.InvalidFormat', self.sim.EnterPin, *args)
        self.assertEqual(self.modem_changes(), [])

        for left in (2, 1):
            self.assertError('org.ofono.Error.Failed', self.sim.EnterPin, 'pin', '0000')
            self.assertEqual(self.modem_changes(), [('Retries', {'pin': left, 'puk': 10})])
        self.assertError('org.ofono.Error.Failed', self.sim.EnterPin, 'pin', '0000')
        self.assertEqual(self.modem_changes(), [('PinRequired', 'puk'),
                                              ('Retries', {'pin': 0, 'puk': 10})])

        self.assertError('org.ofono.Error.InvalidFormat', self.sim.EnterPin, 'pin', '1234')
        self.assertError('org.ofono.Error.InvalidFormat', self.sim.ResetPin, 'puk', '1234567', '1111')
        self.assertError('org.ofono.Error.InvalidFormat', self.sim.ResetPin, 'puk', '87654321', '12')
        self.assertEqual(self.modem_changes(), [])

        for left in range(9, -1, -1):
            self.assertError('org.ofono.Error.Failed', self.sim.ResetPin, 'puk', '87654321', '1111')
            self.assertEqual(self.modem_changes(), [('Retries', {'pin': 0, 'puk': left})])
        # blocked for good: even the right PUK fails, nothing changes
        self.assertError('org.ofono.Error.Failed', self.sim.ResetPin, 'puk', '12345678', '1111')
        self.assertEqual(self.modem_changes(), [])
        self.assertEqual(self.sim.GetProperties()['PinRequired'], 'puk')

    def test_unlock_puk_reset_and_power_cycle(self):
        self.start({'pin_retries': 1})
        self.assertError('org.ofono.Error.Failed', self.sim.EnterPin, 'pin', '9999')
        self.modem_changes()
        self.sim.ResetPin('puk', '12345678', '4321')
        changes = self.modem_changes()
        self.assertEqual(changes[:5], [
            ('PinRequired', 'none'), ('Retries', {'pin': 1, 'puk': 10}),
            ('SubscriberIdentity', '244051234567890'),
            ('MobileCountryCode', '244'), ('MobileNetworkCode', '05')])
        # only a ready SIM lets the modem register
        self.assertEqual(changes[5], ('Interfaces', [
            SIM, VCM, 'org.ofono.NetworkRegistration', 'org.ofono.ConnectionManager']))
        self.assertIn(('Status', 'registered'), changes[6:])

        # a power cycle re-reads the card: the new PIN is asked again
        self.ctl.SetModemPowered(False)
        self.ctl.SetModemPowered(True)
        self.take_signals(self.manager)
        self.assertEqual(self.sim.GetProperties()['PinRequired'], 'pin')
        self.sim.EnterPin('pin', '4321')
        self.assertIn(('PinRequired', 'none'), self.modem_changes())

        # ChangePin with old == new is answered without asking the card
        self.sim.ChangePin('pin', '0000', '0000')
        self.sim.UnlockPin('pin', '4321')
        self.assertEqual(self.modem_changes(), [('LockedPins', [])])

    def test_injected_error_delay_and_exit(self):
        self.start()
        self.ctl.SetNextError('EnterPin', 'org.ofono.Error.InProgress')
        self.assertError('org.ofono.Error.InProgress', self.sim.EnterPin, 'pin', '0000')
        self.assertEqual(self.modem_changes(), [])
        self.assertError('org.ofono.Error.Failed', self.sim.EnterPin, 'pin', '0000')
        self.assertEqual(self.sim.GetProperties()['Retries']['pin'], 2)

        self.ctl.SetReplyDelay(300)
        started = time.monotonic()
        self.sim.EnterPin('pin', '1234')
        self.assertGreaterEqual(time.monotonic() - started, 0.3)
        self.ctl.SetReplyDelay(0)

        self.assertEqual(len(self.modem.GetMethodCalls('EnterPin',
                                                       dbus_interface=dbusmock.MOCK_IFACE)), 3)
        self.ctl.ExitOnNextCall('ChangePin')
        with self.assertRaises(dbus.exceptions.DBusException):
            self.sim.ChangePin('pin', '1234', '5678')
        self.assertEqual(self.proc.wait(timeout=5), 0)

    def test_sim_removal_and_insertion(self):
        self.start()
        self.ctl.SetSimPresent(False)
        self.assertEqual(self.modem_changes(), [('Present', False), ('PinRequired', 'none')])
        self.assertEqual(plain(self.sim.GetProperties()), {'Present': False})
        self.ctl.SetSimPresent(True)
        changes = self.modem_changes()
        self.assertEqual(changes[0], ('Present', True))
        self.assertIn(('PinRequired', 'pin'), changes)

    def test_registration_changes_signal_only_what_changed(self):
        self.start({'pin_locked': False})
        self.ctl.SetRegistration('denied', 'auto')
        changes = self.modem_changes()
        self.assertEqual(changes[:2], [('Status', 'denied'), ('Name', '')])
        self.assertIn(('Attached', False), changes)
        self.assertNotIn('Mode', [name for name, _ in changes])

    def test_power_fails(self):
        self.start({'power_fails': True})
        (path, props), = self.manager.GetModems(dbus_interface='org.ofono.Manager')
        self.assertFalse(props['Powered'])
        self.assertEqual(list(props['Interfaces']), [])
        self.assertError('org.ofono.Error.Failed', self.modem.SetProperty, 'Powered', True,
                         dbus_interface=MODEM)
        self.assertFalse(self.modem.GetProperties(dbus_interface=MODEM)['Powered'])
        self.assertError('org.ofono.Error.NotAvailable', self.modem.SetProperty, 'Online', True,
                         dbus_interface=MODEM)
        self.assertError('org.freedesktop.DBus.Error.UnknownMethod', self.sim.GetProperties)
        self.assertEqual(self.take_signals(self.manager), [])

    def test_modem_hotplug(self):
        self.start({'modem_absent': True})
        self.assertEqual(list(self.manager.GetModems()), [])
        self.ctl.AddModem()
        (path, member, (modem_path, props)), = self.take_signals(self.manager)
        self.assertEqual((member, modem_path, props['Powered']), ('ModemAdded', '/ril_0', True))
        self.ctl.RemoveModem()
        self.assertEqual(self.take_signals(self.manager), [('/', 'ModemRemoved', ['/ril_0'])])
        self.assertEqual(list(self.manager.GetModems()), [])

    def test_emergency_dial_while_locked(self):
        self.start()
        vcm = dbus.Interface(self.modem, VCM)
        self.assertEqual(list(vcm.GetProperties()['EmergencyNumbers']),
                         ['112', '911', '119', '118', '999', '110', '08', '000'])
        for number in ('12ab', '', '1' * 81):
            self.assertError('org.ofono.Error.InvalidFormat', vcm.Dial, number, '')
        self.assertEqual(vcm.Dial('112', ''), '/ril_0/voicecall01')
        sigs = self.take_signals(self.manager)
        self.assertIn(('/ril_0', 'PropertyChanged', ['Emergency', True]), sigs)
        self.assertEqual(sigs[-1][1:], ('CallAdded', ['/ril_0/voicecall01', {
            'LineIdentification': '112', 'Name': '', 'State': 'dialing', 'Multiparty': False,
            'RemoteHeld': False, 'RemoteMultiparty': False, 'Emergency': True}]))
        vcm.HangupAll()
        self.assertEqual(self.take_signals(self.manager), [
            ('/ril_0/voicecall01', 'PropertyChanged', ['State', 'disconnected']),
            ('/ril_0', 'CallRemoved', ['/ril_0/voicecall01']),
            ('/ril_0', 'PropertyChanged', ['Emergency', False])])
        self.assertEqual(list(vcm.GetCalls()), [])


class PavoTest(MockTest):
    TEMPLATE = 'pavo.py'
    BUS_NAME = 'com.vexa.pavo'
    MAIN_OBJ = '/com/vexa/pavo/request'
    SYSTEM = True

    def test_answers_and_signals(self):
        self.start()
        req = self.bus.get_object(self.BUS_NAME, '/com/vexa/pavo/request')
        api = dbus.Interface(req, 'com.vexa.pavo.request')
        self.assertEqual(api.get_radio_states(), 1)
        self.assertEqual(api.get_call_state(), 'none')
        api.req_radio_states_change(0, 1)
        self.assertEqual(self.take_signals(req),
                         [('/com/vexa/pavo/signal', 'radio_states_ind', [0])])
        self.assertEqual(api.get_radio_states(), 0)
        api.req_tklock_mode_change('locked')
        self.assertError('org.freedesktop.DBus.Error.InvalidArgs',
                         api.req_tklock_mode_change, 'dimmed')
        self.assertEqual(req.GetTklockMode(dbus_interface=dbusmock.MOCK_IFACE), 'locked')

        req.EmitCallState('active', 'emergency', dbus_interface=dbusmock.MOCK_IFACE)
        self.assertEqual(self.take_signals(req), [('/com/vexa/pavo/signal', 'sig_call_state_ind',
                                                   ['active', 'emergency'])])
        req.SetAnswer('noargs', dbus_interface=dbusmock.MOCK_IFACE)
        self.assertIsNone(api.get_radio_states())
        self.assertIsNone(api.get_call_state())

    def test_error_mode(self):
        self.start({'answer': 'error', 'radio_states': 0})
        api = dbus.Interface(self.bus.get_object(self.BUS_NAME, '/com/vexa/pavo/request'),
                             'com.vexa.pavo.request')
        self.assertError('com.vexa.pavo.Error.Failed', api.get_radio_states)
        self.assertError('com.vexa.pavo.Error.Failed', api.get_call_state)

    def test_hang_mode(self):
        self.start({'answer': 'hang'})
        req = self.bus.get_object(self.BUS_NAME, '/com/vexa/pavo/request')
        api = dbus.Interface(req, 'com.vexa.pavo.request')
        self.assertError('org.freedesktop.DBus.Error.NoReply', api.get_radio_states, timeout=0.5)
        # the rest of the service keeps answering, and the call was recorded
        api.req_tklock_mode_change('unlocked')
        self.assertEqual(req.GetTklockMode(dbus_interface=dbusmock.MOCK_IFACE), 'unlocked')
        calls = req.GetMethodCalls('get_radio_states', dbus_interface=dbusmock.MOCK_IFACE)
        self.assertEqual(len(calls), 1)
        req.SetAnswer('normal', dbus_interface=dbusmock.MOCK_IFACE)
        self.assertEqual(api.get_radio_states(), 1)


class NotificationsTest(MockTest):
    TEMPLATE = 'notifications.py'
    BUS_NAME = 'org.freedesktop.Notifications'
    MAIN_OBJ = '/org/freedesktop/Notifications'

    def notify(self, replaces=0):
        return self.api.Notify('korvad', replaces, '', 'SIM', 'body', [],
                               {'urgency': dbus.Byte(2)}, -1)

    def test_ids_close_and_refuse(self):
        self.start()
        obj = self.bus.get_object(self.BUS_NAME, '/org/freedesktop/Notifications')
        self.api = dbus.Interface(obj, 'org.freedesktop.Notifications')
        self.assertEqual([self.notify(), self.notify(), self.notify(replaces=1)], [1, 2, 1])
        self.api.CloseNotification(1)
        self.api.CloseNotification(1)
        self.assertEqual(self.take_signals(obj), [
            ('/org/freedesktop/Notifications', 'NotificationClosed', [1, 3])])
        obj.SetRefuse(True, dbus_interface=dbusmock.MOCK_IFACE)
        self.assertError('org.freedesktop.DBus.Error.Failed', self.notify)
        calls = obj.GetMethodCalls('Notify', dbus_interface=dbusmock.MOCK_IFACE)
        self.assertEqual(len(calls), 4)
        self.assertEqual(calls[0][1][6]['urgency'], 2)

    def test_refuse_from_start(self):
        self.start({'refuse': True}, via_cli=True)
        self.api = dbus.Interface(self.bus.get_object(self.BUS_NAME, '/org/freedesktop/Notifications'),
                                  'org.freedesktop.Notifications')
        self.assertError('org.freedesktop.DBus.Error.Failed', self.notify)


class FeedbackdTest(MockTest):
    TEMPLATE = 'feedbackd.py'
    BUS_NAME = 'org.sigxcpu.Feedback'
    MAIN_OBJ = '/org/sigxcpu/Feedback'

    def test_trigger_end_and_unknown_event(self):
        self.start()
        obj = self.bus.get_object(self.BUS_NAME, '/org/sigxcpu/Feedback')
        api = dbus.Interface(obj, 'org.sigxcpu.Feedback')
        self.assertEqual(obj.Get('org.sigxcpu.Feedback', 'Profile',
                                 dbus_interface=dbus.PROPERTIES_IFACE), 'full')
        self.assertEqual(api.TriggerFeedback('korvad', 'pin.query', {}, -1), 1)
        self.assertEqual(api.TriggerFeedback('korvad', 'no-such-event', {}, -1), 2)
        self.assertEqual(self.take_signals(obj), [
            ('/org/sigxcpu/Feedback', 'FeedbackEnded', [2, 4294967295])])
        self.assertEqual(list(obj.GetRunning(dbus_interface=dbusmock.MOCK_IFACE)), [1])
        api.EndFeedback(1)
        api.EndFeedback(99)
        self.assertEqual(self.take_signals(obj), [
            ('/org/sigxcpu/Feedback', 'FeedbackEnded', [1, 2])])
        self.assertError('org.freedesktop.DBus.Error.InvalidArgs',
                         api.TriggerFeedback, 'korvad', '', {}, -1)
        self.assertError('org.freedesktop.DBus.Error.InvalidArgs',
                         api.TriggerFeedback, '', 'pin.query', {}, -1)
        self.assertEqual(api.TriggerFeedback('korvad', 'sim.error', {}, 0), 3)
        obj.FinishFeedback(3, 0, dbus_interface=dbusmock.MOCK_IFACE)
        self.assertEqual(self.take_signals(obj), [
            ('/org/sigxcpu/Feedback', 'FeedbackEnded', [3, 0])])


def tearDownModule():
    # dbusmock 0.28.7 forgets to delete its bus config directory
    datadir = getattr(dbusmock.DBusTestCase, '_DBusTestCase__datadir', None)
    if datadir:
        shutil.rmtree(datadir, ignore_errors=True)


if __name__ == '__main__':
    unittest.main()
