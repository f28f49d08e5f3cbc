#!/usr/bin/env python3
"""Walks the program's tree on the desktop accessibility bus and reports what a
screen reader would meet: value boxes and meters without a name, buttons
offered without a label, and internal object names used as names.

Usage: a11y_walk.py APP_NAME  (exit status 1 when anything is found)"""
import re
import sys
import time

import pyatspi

INTERNAL = re.compile(r"^(METER_BASE|[0-9]+|q[a-z_]+|[A-Z_]{4,})$")


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def walk(acc, depth, out):
    try:
        role = acc.getRoleName()
        name = acc.name or ""
        desc = acc.description or ""
    except Exception:
        return
    out.append((depth, role, name, desc, showing(acc)))
    for i in range(acc.childCount):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:
            continue
        if child is not None:
            walk(child, depth + 1, out)


def main():
    app_name = sys.argv[1]
    # The registry starts with the first client that asks; the program
    # announces itself to it a moment later.
    app, apps = None, []
    for _ in range(40):
        desktop = pyatspi.Registry.getDesktop(0)
        apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
        app = next((a for a in apps if a is not None and a.name == app_name), None)
        if app is not None:
            break
        time.sleep(0.5)
    if app is None:
        print("no application %r on the bus: %s" % (app_name, [a.name for a in apps if a]))
        return 2
    nodes = []
    walk(app, 0, nodes)
    problems = []
    counts = {}
    for depth, role, name, desc, shown in nodes:
        print("%s%s %r%s%s" % ("  " * depth, role, name, " desc=%r" % desc if desc else "", "" if shown else " (hidden)"))
        if not shown:
            continue
        counts[role] = counts.get(role, 0) + 1
        if role in ("text", "entry", "password text", "spin button") and not name.strip():
            problems.append("value box without a name")
        if role in ("progress bar", "level bar", "slider", "meter") and not name.strip():
            problems.append("meter without a name")
        if role == "filler" and desc.strip() and not name.strip():
            problems.append("meter without a name")
        if role in ("push button", "toggle button", "check box") and not name.strip():
            problems.append("button without a label offered")
        if name and INTERNAL.match(name):
            problems.append("internal name exposed: %r (%s)" % (name, role))
    print("showing: %s" % ", ".join("%s %d" % kv for kv in sorted(counts.items())))
    for p in problems:
        print("PROBLEM: " + p)
    print("%d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
