#!/usr/bin/python3
"""Reads the dialog's accessibility tree over AT-SPI, as a screen reader does, prints it and
checks it: every control has a name, the folder edits are labelled by their labels and say
their state, the progress bar says what it measures, Return on a focused check box ticks it
and keeps the program running, and the status box's texts reach the tree. The dialog runs at
its first start with music in ~/Music: Organize is pressed twice through AT-SPI (the question
to create the proposed destination answered Yes), and the summaries are read back. Exit status
0 when every check holds.

Run by tests/ui/atspi_check.sh, which starts the AT-SPI bus, a screen and the dialog, and then
checks the two folders on disk. DESTINATION names the folder the dialog should propose."""
import os
import sys
import time

import pyatspi
from gi.repository import GLib

CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PROGRESS_BAR,
}


def find_application(name, timeout=30):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name and app.name.lower() == name.lower() and app.childCount > 0:
                return app
        time.sleep(0.25)
    return None


class NameChanges:
    """Counts the accessible-name changes of the status box a screen reader would announce."""

    def __init__(self):
        self.count = 0
        pyatspi.Registry.registerEventListener(self.seen, "object:property-change:accessible-name")

    def seen(self, event):
        try:
            if event.source.getRole() == pyatspi.ROLE_LABEL and event.source.description == "Status of the run":
                self.count += 1
        except Exception:
            pass


def pause(seconds):
    """Waits, letting the events of the bus arrive meanwhile."""
    deadline = time.time() + seconds
    context = GLib.MainContext.default()
    while time.time() < deadline:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def count_files(folder):
    return sum(len(files) for _, _, files in os.walk(folder)) if folder else 0


def walk(node, depth=0, found=None):
    found = [] if found is None else found
    found.append((depth, node))
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, depth + 1, found)
    return found


def labelled_by(node):
    names = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return names


def show(tree):
    for depth, node in tree:
        extra = ""
        if node.description:
            extra += f"  description={node.description!r}"
        labels = labelled_by(node)
        if labels:
            extra += f"  labelled-by={labels!r}"
        print(f"{'  ' * depth}{node.getRoleName()}: {node.name!r}{extra}")


def main():
    app = find_application(sys.argv[1] if len(sys.argv) > 1 else "tunvale")
    if app is None:
        print("FAIL: the application is not on the AT-SPI bus")
        return 1
    tree = walk(app)
    show(tree)
    failures = []

    def check(condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            failures.append(what)

    controls = [node for _, node in tree if node.getRole() in CONTROL_ROLES]
    unnamed = [node.getRoleName() for node in controls if not node.name]
    check(len(controls) >= 30, f"{len(controls)} controls found")
    check(not unnamed, f"every control has a name (unnamed: {unnamed})")

    def first(role, name):
        return next((node for _, node in tree if node.getRole() == role and node.name == name), None)

    for role, name in [(pyatspi.ROLE_PUSH_BUTTON, "Select source folder"),
                       (pyatspi.ROLE_PUSH_BUTTON, "Select destination folder"),
                       (pyatspi.ROLE_PROGRESS_BAR, "Progress of the run"),
                       (pyatspi.ROLE_CHECK_BOX, "Accept similitudes"),
                       (pyatspi.ROLE_RADIO_BUTTON, "Artist")]:
        check(first(role, name) is not None, f"{name!r} is there")
    buttons = [node.name for node in controls if node.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    check(len(buttons) == len(set(buttons)), f"no two buttons share a name ({buttons})")
    for edit, label in [("Source folder", "Source Folder"), ("Destination folder", "Destination Folder")]:
        node = first(pyatspi.ROLE_TEXT, edit) or first(pyatspi.ROLE_ENTRY, edit)
        check(node is not None and label in labelled_by(node), f"{edit!r} is labelled by {label!r}")
    progress = first(pyatspi.ROLE_PROGRESS_BAR, "Progress of the run")
    check(progress is not None and bool(progress.description), "the progress bar says what it measures")

    # First start: the destination proposed beside the music, and its state read with it.
    destination = os.environ.get("DESTINATION", "")
    field = first(pyatspi.ROLE_TEXT, "Destination folder") or first(pyatspi.ROLE_ENTRY, "Destination folder")
    shown = field.queryText().getText(0, -1) if field is not None else None
    check(shown == destination, f"the destination proposed is {destination!r} ({shown!r})")
    check(field is not None and field.description == "Will be created",
          f"the destination field says it will be created ({field.description if field else None!r})")
    check(first(pyatspi.ROLE_LABEL, "Will be created") is not None, "the state is shown beside the field")

    # Return on a focused check box ticks it, as Space does, and the program goes on.
    box = first(pyatspi.ROLE_CHECK_BOX, "Accept similitudes")
    if box is not None:
        before = box.getState().contains(pyatspi.STATE_CHECKED)
        for press in range(2):
            box.queryComponent().grabFocus()
            time.sleep(0.3)
            pyatspi.Registry.generateKeyboardEvent(0xff0d, None, pyatspi.KEY_SYM)   # Return
            time.sleep(0.5)
            now = box.getState().contains(pyatspi.STATE_CHECKED)
            check(now != before, f"Return on the focused check box toggles it (press {press + 1})")
            before = now
        check(find_application(sys.argv[1] if len(sys.argv) > 1 else "tunvale", timeout=2) is not None,
              "the program is still running after Return")

    # Organize twice, pressed as assistive technology presses it; the question to create the
    # destination is answered Yes the first time; the summary must reach the tree each time.
    organize = first(pyatspi.ROLE_PUSH_BUTTON, "Organize")
    check(organize is not None, "'Organize' is there")
    names = NameChanges()
    for press in range(2) if organize is not None else []:
        names.count = 0
        started = time.time()
        organize.queryAction().doAction(0)
        if press == 0:
            yes = None
            deadline = time.time() + 20
            while yes is None and time.time() < deadline:
                pause(0.3)
                yes = next((node for _, node in walk(app)
                            if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name in ("Yes", "&Yes")), None)
            check(yes is not None, "Organize asks to create the destination")
            if yes is not None:
                yes.queryAction().doAction(0)
        # The copies of this press are all there once the destination holds 22 more files (the
        # demo library's 23 files but the one it skips).
        deadline = time.time() + 60
        while time.time() < deadline and count_files(destination) < 22 * (press + 1):
            pause(0.2)
        summary = None
        while summary is None and time.time() < deadline:
            pause(0.5)
            summary = next((node for _, node in walk(app)
                            if node.getRole() == pyatspi.ROLE_LABEL and node.name.startswith("Done: on")), None)
        pause(0.5)
        seconds = time.time() - started
        # A few a second at most (four), plus the summary's lines.
        check(names.count <= 4 * seconds + 4,
              f"Organize {press + 1}: {names.count} status announcements in {seconds:.1f} s")
        check(summary is not None and summary.name.startswith("Done: on 22 files"),
              f"Organize {press + 1}: the status box's summary is in the tree"
              + (f": {summary.name!r} ({summary.description!r})" if summary is not None else ""))

    print(f"{len(failures)} failed check(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
