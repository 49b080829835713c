# A screen reader on korvad's PIN page, through AT-SPI only: screenreader.py TITLE DIGITS.
# Finds the code field (a password field named TITLE that offers no text) and the
# emergency call key by name, presses the digit keys by name, then OK.
import sys
import time

import pyatspi


def find(pred, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            found = app and app.name == 'korvad' and pyatspi.utils.findDescendant(app, pred)
            if found:
                return found
        time.sleep(0.1)
    sys.exit('not found')


def key(name):
    return find(lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == name)


field = find(lambda a: a.getRole() == pyatspi.ROLE_PASSWORD_TEXT)
if field.name != sys.argv[1] or 'Text' in pyatspi.listInterfaces(field):
    sys.exit('field %r offers %s' % (field.name, pyatspi.listInterfaces(field)))
key('Emergency call')
for name in list(sys.argv[2]) + ['OK']:
    key(name).queryAction().doAction(0)
