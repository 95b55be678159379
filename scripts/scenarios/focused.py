#!/usr/bin/python3
"""The control of a Tessary window that has the keyboard focus, as AT-SPI reports it: its role and name. An item
view's current cell keeps its focused state after the view has lost the focus, so a cell counts only while its
view has the focus too.  Usage: focused.py TITLE-REGEX"""
import re
import sys

import pyatspi


def focused(acc, parent_focused=True):
    try:
        state = acc.getState()
        role = acc.getRoleName()
        here = state.contains(pyatspi.STATE_FOCUSED)
        if here and role not in ("frame", "dialog", "filler", "window") and (role != "table cell" or parent_focused):
            return "%s: %s" % (role, acc.name or "")
        for i in range(acc.childCount):
            found = focused(acc.getChildAtIndex(i), here)
            if found:
                return found
    except Exception:
        pass
    return None


title = re.compile(sys.argv[1])
for app in pyatspi.Registry.getDesktop(0):
    if app is None or not (app.name or "").lower().startswith("tessary"):
        continue
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if title.search(window.name or "") and window.getState().contains(pyatspi.STATE_SHOWING):
            print(focused(window) or "nothing")
            sys.exit(0)
print("no window")
