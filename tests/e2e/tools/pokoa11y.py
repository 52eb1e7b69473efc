#!/usr/bin/python3
"""The running game as a screen reader meets it, over AT-SPI.

usage: pokoa11y.py PID list           the application's name, then every control showing
                                      on screen: "ROLE<TAB>NAME" (ROLE as AT-SPI 2.46 names
                                      it, e.g. "push button"), windows as "frame<TAB>TITLE"
       pokoa11y.py PID press NAME     presses the showing push button NAME through its
                                      action interface

Status 2 when no application of that process is on the accessibility bus.
"""
import sys

import pyatspi


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def showing(node):
    """Every showing descendant of node, depth first, node itself included."""
    if not node.getState().contains(pyatspi.STATE_SHOWING):
        return
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from showing(child)


def controls(app):
    for index in range(app.childCount):
        window = app.getChildAtIndex(index)
        if window is not None:
            yield from showing(window)


# The roles the scenarios judge, by the names AT-SPI 2.46 gives them: later releases call a
# push button "button".
ROLE_NAMES = {pyatspi.ROLE_PUSH_BUTTON: "push button", pyatspi.ROLE_SCROLL_BAR: "scroll bar"}


def role_name(node):
    return ROLE_NAMES.get(node.getRole()) or node.getRoleName()


def main(argv):
    if len(argv) < 3 or argv[2] not in ("list", "press"):
        sys.stderr.write(__doc__)
        return 64
    app = application(int(argv[1]))
    if app is None:
        return 2
    if argv[2] == "list":
        print(f"application\t{app.name}")
        for node in controls(app):
            print(f"{role_name(node)}\t{node.name}")
        return 0
    for node in controls(app):
        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == argv[3]:
            action = node.queryAction()
            for index in range(action.nActions):
                if action.getName(index) in ("Press", "press", "click"):
                    return 0 if action.doAction(index) else 1
    sys.stderr.write(f"pokoa11y: no showing push button named {argv[3]} to press\n")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
