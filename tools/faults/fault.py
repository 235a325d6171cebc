#!/usr/bin/python3
"""Reads tools/faults/faults.txt for run.sh.

    fault.py FAULTS count               how many faults the file holds
    fault.py FAULTS describe N          the N-th fault's description (from 1)
    fault.py FAULTS locate N SRC_TREE   the file it changes, found by base name under
                                        SRC_TREE/src; status 3 when the file is not found
                                        exactly once or the old text is not in it exactly once
    fault.py FAULTS apply N SRC_TREE    writes the fault into that file (same checks)
"""
import os
import sys


def read_faults(path):
    """The faults in file order, each a dict of description, file, old, new."""
    faults = []
    part = None
    for line in open(path).read().split("\n"):
        if line.startswith("== "):
            faults.append({"description": line[3:].strip(), "file": "", "old": [], "new": []})
            part = None
        elif not faults:
            continue
        elif part is None and line.startswith("file:"):
            faults[-1]["file"] = line[5:].strip()
        elif line == "--- old":
            part = "old"
        elif line == "+++ new":
            part = "new"
        elif part is not None:
            faults[-1][part].append(line)
        elif line.strip() and not line.startswith("#"):
            sys.exit(f"{path}: stray line in '{faults[-1]['description']}': {line}")
    for fault in faults:
        for part in ("old", "new"):
            lines = fault[part]
            # Blank lines and comments between blocks belong to no text.
            while lines and (not lines[-1].strip() or lines[-1].startswith("#")):
                lines.pop()
            fault[part] = "\n".join(lines)
    return faults


def locate(fault, tree):
    """The file the fault changes and its text, or exit 3 when it does not apply."""
    found = []
    for folder, _, files in os.walk(os.path.join(tree, "src")):
        if fault["file"] in files:
            found.append(os.path.join(folder, fault["file"]))
    if len(found) != 1:
        print(f"{fault['file']} found {len(found)} times under {tree}/src", file=sys.stderr)
        sys.exit(3)
    text = open(found[0]).read()
    times = text.count(fault["old"]) if fault["old"] else 0
    if times != 1:
        print(f"old text found {times} times in {found[0]}", file=sys.stderr)
        sys.exit(3)
    return found[0], text


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    faults = read_faults(argv[0])
    if argv[1] == "count":
        print(len(faults))
        return
    fault = faults[int(argv[2]) - 1]
    if argv[1] == "describe":
        print(f"{fault['file']}: {fault['description']}")
    elif argv[1] == "locate":
        print(locate(fault, argv[3])[0])
    elif argv[1] == "apply":
        path, text = locate(fault, argv[3])
        with open(path, "w") as out:
            out.write(text.replace(fault["old"], fault["new"], 1))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
