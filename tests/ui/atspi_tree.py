#!/usr/bin/python3
"""Reads the dialog's accessibility tree over AT-SPI, as a screen reader does, prints it and
checks it: every control has a name, the folder edits are labelled by their labels, the
progress bar says what it measures, and the status box's texts reach the tree (Organize is
pressed through AT-SPI and the summary is read back). Exit status 0 when every check holds.

Run by tests/ui/atspi_check.sh, which starts the AT-SPI bus, a screen and the dialog."""
import sys
import time

import pyatspi

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

    # Organize, pressed as assistive technology presses it; the summary must reach the tree.
    organize = first(pyatspi.ROLE_PUSH_BUTTON, "Organize")
    check(organize is not None, "'Organize' is there")
    if organize is not None:
        actions = organize.queryAction()
        actions.doAction(0)
        summary = None
        deadline = time.time() + 60
        while summary is None and time.time() < deadline:
            time.sleep(0.5)
            summary = next((node for _, node in walk(app)
                            if node.getRole() == pyatspi.ROLE_LABEL and node.name.startswith("Done: on")), None)
        check(summary is not None, "the status box's summary is in the tree"
              + (f": {summary.name!r} ({summary.description!r})" if summary is not None else ""))

    print(f"{len(failures)} failed check(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
