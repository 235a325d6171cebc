#!/usr/bin/python3
"""Plants the faults of a list (tools/faults/faults.txt) for run.sh.

    fault.py FAULTS count                  how many faults the file holds
    fault.py FAULTS try N SRC_TREE COMMAND...
        prints "FILE: DESCRIPTION" of fault N, plants it in its file (by base
        name under SRC_TREE/src), runs COMMAND, puts the file back (also when
        stopped): COMMAND's status, or 3 when the file or old text is not
        found exactly once
"""
import os
import signal
import subprocess
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
        elif line in ("--- old", "+++ new"):
            part = line[4:]
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


def main(argv):
    if len(argv) < 2 or argv[1] not in ("count", "try") or (argv[1] == "try" and len(argv) < 5):
        sys.exit(__doc__)
    faults = read_faults(argv[0])
    if argv[1] == "count":
        print(len(faults))
        return 0
    fault = faults[int(argv[2]) - 1]
    what = f"{fault['file']}: {fault['description']}"
    found = [os.path.join(folder, fault["file"]) for folder, _, files
             in os.walk(os.path.join(argv[3], "src")) if fault["file"] in files]
    text = open(found[0]).read() if len(found) == 1 else ""
    print(what, flush=True)
    if not fault["old"] or text.count(fault["old"]) != 1:
        return 3
    # A stop puts the file back too: the signals end the run through SystemExit.
    for stop in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(stop, lambda number, frame: sys.exit(128 + number))
    try:
        with open(found[0], "w") as out:
            out.write(text.replace(fault["old"], fault["new"], 1))
        return subprocess.run(argv[4:]).returncode
    finally:
        with open(found[0], "w") as out:
            out.write(text)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
