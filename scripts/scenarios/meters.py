#!/usr/bin/python3
"""What a screen reader hears of a Tessary window's meters and report: each progress bar's name and value, and
each named panel's description, one "name: value" a line.  Usage: meters.py TITLE-REGEX"""
import re
import sys

import pyatspi


def walk(acc, out):
    try:
        role = acc.getRoleName()
        if role == "progress bar" and acc.getState().contains(pyatspi.STATE_SHOWING):
            out.append("%s: %s" % (acc.name, acc.queryValue().currentValue))
        elif acc.name == "Password check report" and acc.getState().contains(pyatspi.STATE_SHOWING):
            out.append("%s: %s" % (acc.name, (acc.description or "").replace("\n", " / ")))
        for i in range(acc.childCount):
            walk(acc.getChildAtIndex(i), out)
    except Exception:
        pass
    return out


title = re.compile(sys.argv[1])
for app in pyatspi.Registry.getDesktop(0):
    if app is None or not (app.name or "").lower().startswith("tessary"):
        continue
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if title.search(window.name or "") and window.getState().contains(pyatspi.STATE_SHOWING):
            print("\n".join(walk(window, [])))
            sys.exit(0)
print("no window")
