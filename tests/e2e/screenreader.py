# A screen reader on korvad's PIN page, through AT-SPI only:
#   screenreader.py TITLE DIGITS [EMERGENCY]
# Finds the code field (a password field named TITLE that offers no text) and the
# emergency call key by name. With EMERGENCY, first types that number, waits for
# the emergency key to say it is one and presses it. Then types DIGITS and OK.
import sys
import time

import pyatspi


def wait(pred, what, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        found = pred()
        if found:
            return found
        time.sleep(0.05)
    sys.exit('not seen: ' + what)


def find(pred):
    def look():
        for app in pyatspi.Registry.getDesktop(0):
            found = app and app.name == 'korvad' and pyatspi.utils.findDescendant(app, pred)
            if found:
                return found
    return look()


def key(name):
    return wait(lambda: find(lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == name), name)


def press(name):
    button = key(name)
    button.queryAction().doAction(0)
    # A press is a short animated click: a second one on the same key before
    # it is up again would be taken as the same click.
    wait(lambda: not button.getState().contains(pyatspi.STATE_PRESSED), name + ' released')


def check_field():
    field = wait(lambda: find(lambda a: a.getRole() == pyatspi.ROLE_PASSWORD_TEXT), 'code field')
    if field.name != sys.argv[1] or 'Text' in pyatspi.listInterfaces(field):
        sys.exit('field %r offers %s' % (field.name, pyatspi.listInterfaces(field)))


check_field()
if len(sys.argv) > 3:
    for digit in sys.argv[3]:
        press(digit)
    wait(lambda: key('Emergency call').description, 'emergency number told')
    # The number shows in clear on the page; still nothing to read here.
    check_field()
    press('Emergency call')
    sys.exit(0)
key('Emergency call')
for name in list(sys.argv[2]) + ['OK']:
    press(name)
