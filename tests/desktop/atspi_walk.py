"""Reads a running program's accessible tree over AT-SPI, as a screen reader does.

Usage: atspi_walk.py PID --before NAME... --press NAME --after NAME... --table NAME

Waits for the program with process id PID on the desktop, then checks that each --before name is
a showing push button with a "press" action, presses the first showing push button named --press
through AT-SPI, and checks the --after names the same way and that a showing table is named
--table. Prints what it found; exits 1 on the first missing piece.
"""
import argparse
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# The action names' getter is deprecated in newer AT-SPI for a localised one; the plain name is
# what is checked here.
warnings.simplefilter("ignore", DeprecationWarning)

WAIT_SECONDS = 15
MAX_NODES = 5000


def find_application(pid):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.2)
    return None


def walk(root):
    """Every node under root, breadth first, bounded."""
    nodes, queue = [], [root]
    while queue and len(nodes) < MAX_NODES:
        node = queue.pop(0)
        nodes.append(node)
        for i in range(node.get_child_count()):
            child = node.get_child_at_index(i)
            if child is not None:
                queue.append(child)
    return nodes


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def buttons(app):
    found = {}
    for node in walk(app):
        if node.get_role() != Atspi.Role.PUSH_BUTTON or not showing(node):
            continue
        names = [node.get_action_name(i).lower() for i in range(node.get_n_actions())]
        found.setdefault(node.get_name(), []).append((node, names))
    return found


def expect_buttons(app, names, moment):
    deadline = time.monotonic() + WAIT_SECONDS
    while True:
        found = buttons(app)
        missing = [n for n in names
                   if not any("press" in actions for _, actions in found.get(n, []))]
        if not missing:
            print(f"ok: {moment}: push buttons with a press action: {', '.join(names)}")
            return found
        if time.monotonic() > deadline:
            print(f"{moment}: missing push buttons {missing}; found {sorted(found)}")
            sys.exit(1)
        time.sleep(0.2)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pid", type=int)
    parser.add_argument("--before", nargs="+", required=True)
    parser.add_argument("--press", required=True)
    parser.add_argument("--after", nargs="+", required=True)
    parser.add_argument("--table", required=True)
    args = parser.parse_args()

    app = find_application(args.pid)
    if app is None:
        print(f"no application with process id {args.pid} on the AT-SPI desktop")
        sys.exit(1)
    found = expect_buttons(app, args.before, "at start")
    node, actions = found[args.press][0]
    node.do_action(actions.index("press"))
    expect_buttons(app, args.after, f"after pressing {args.press!r}")
    deadline = time.monotonic() + WAIT_SECONDS
    while not any(n.get_role() == Atspi.Role.TABLE and n.get_name() == args.table and showing(n)
                  for n in walk(app)):
        if time.monotonic() > deadline:
            print(f"no showing table named {args.table!r}")
            sys.exit(1)
        time.sleep(0.2)
    print(f"ok: the table {args.table!r} shows")


if __name__ == "__main__":
    main()
