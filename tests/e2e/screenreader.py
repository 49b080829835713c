# What a screen reader does on korvad's PIN page, through AT-SPI only:
#   screenreader.py TITLE DIGITS
# Finds the code field (a password field named TITLE, with no text to read),
# checks the emergency call key is there by name, presses the digit keys by
# name, then OK.
import sys
import time

import pyatspi


def find(pred, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == 'korvad':
                found = pyatspi.utils.findDescendant(app, pred)
                if found is not None:
                    return found
        time.sleep(0.1)
    sys.exit('not found')


def key(name):
    return find(lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == name)


title, digits = sys.argv[1], sys.argv[2]
field = find(lambda a: a.getRole() == pyatspi.ROLE_PASSWORD_TEXT)
if field.name != title:
    sys.exit('field named %r' % field.name)
for digit in digits:
    key(digit).queryAction().doAction(0)
try:
    field.queryText()
    sys.exit('the field offers its text')
except NotImplementedError:
    pass
key('Emergency call')
key('OK').queryAction().doAction(0)
