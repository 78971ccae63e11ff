#!/usr/bin/python3
"""The window cases both toolkits run (window_steps.txt), read, set up and checked here once; each
toolkit's driver only plays the steps and hands over what its window showed.
  window_steps.py list | steps CASE        the cases' names, or a case's steps, one a line
  window_steps.py setup CASE FOLDER KEPT   makes the case's files in FOLDER, a copy of each in KEPT
  window_steps.py check CASE TOOLKIT FOLDER KEPT <SHOWN
      compares the lines the window showed with those the case says TOOLKIT ("qt" or "win32")
      shows, and FOLDER with what the case leaves; says what differs and exits 1"""
import pathlib
import re
import shlex
import shutil
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
TABLE = HERE / "window_steps.txt"
FIXTURES = HERE.parents[1] / "fixtures"
EZDXF_ATTRIBUTES = HERE.parents[1] / "support" / "ezdxf_attributes.py"
EZDXF_EDIT_ATTRIBUTES = HERE / "ezdxf_edit_attributes.py"
SETUP = ("drawing", "blank", "drop", "junk")


def read_cases():
    """Each case's rows, in order, as (kind, rest of the line)."""
    cases = {}
    rows = None
    for line in TABLE.read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#"):
            continue
        kind, _, rest = line.partition(" ")
        if kind == "case":
            rows = cases.setdefault(rest, [])
        elif rows is None:
            raise SystemExit(f"a row before its case: {line}")
        elif kind in SETUP + ("steps", "leaves", "shows") or kind.endswith("-shows"):
            rows.append((kind, rest))
        else:
            raise SystemExit(f"unknown row: {line}")
    return cases


def set_up(rows, folder, kept):
    for kind, rest in rows:
        if kind not in SETUP:
            continue
        name, *words = shlex.split(rest)
        if kind == "drawing":
            shutil.copyfile(FIXTURES / words[0], folder / name)
        elif kind == "junk":
            (folder / name).write_text("no drawing\n", encoding="utf-8")
        else:
            run_python(EZDXF_EDIT_ATTRIBUTES, kind, folder / name, *words)
        shutil.copyfile(folder / name, kept / name)


def line_matches(expected, actual):
    """An expected "…" stands for any text (the system's own message for an HRESULT, which
    differs between Wine and Windows versions and languages)."""
    return re.fullmatch(".*".join(map(re.escape, expected.split("…"))), actual, re.S) is not None


def shows_differences(rows, toolkit, shown):
    expected = [rest for kind, rest in rows if kind in ("shows", toolkit + "-shows")]
    if len(expected) == len(shown) and all(map(line_matches, expected, shown)):
        return []
    return ["expected:", *("  " + line for line in expected),
            "shown:", *("  " + line for line in shown)]


def leaves(folder, kept):
    """A check of one thing the case leaves in `folder`, beside the files as set up in `kept`."""
    attributes = {}  # ezdxf reads each drawing once

    def as_set_up(path, name):
        return path.is_file() and path.read_bytes() == (kept / name).read_bytes()

    def values(path, where, tag):
        if path not in attributes:
            # A drawing ezdxf cannot read holds no value.
            attributes[path] = run_python(EZDXF_ATTRIBUTES, path, check=False).splitlines()
        rows = (line.split("\t") for line in attributes[path])
        return [row[4] for row in rows if f"{row[0]} {row[1]}" == where and row[3] == tag]

    def holds(what, name, *words):
        path = folder / name
        if what == "unchanged":
            return as_set_up(path, name)
        if what == "absent":
            return not path.exists()
        if what == "backup":
            return as_set_up(path.with_suffix(".bak"), name)
        if what == "attribute":
            where, tag, value = words
            return values(path, where, tag) == [value]
        raise SystemExit(f"unknown check: {what}")

    return holds


def run_python(script, *arguments, check=True):
    return subprocess.run([sys.executable, script, *arguments], check=check, capture_output=True,
                          encoding="utf-8").stdout


def check(rows, toolkit, folder, kept):
    shown = sys.stdin.buffer.read().decode("utf-8").splitlines()
    differences = shows_differences(rows, toolkit, shown)
    holds = leaves(folder, kept)
    for kind, rest in rows:
        if kind == "leaves" and not holds(*shlex.split(rest)):
            differences.append("does not leave: " + rest)
    if differences:
        print(*differences, sep="\n")
    return 1 if differences else 0


def main(command, *arguments):
    sys.stdout.reconfigure(encoding="utf-8")
    cases = read_cases()
    if command == "list":
        print(*cases, sep="\n")
    elif command == "steps":
        steps = next(rest for kind, rest in cases[arguments[0]] if kind == "steps")
        print(*shlex.split(steps), sep="\n")
    elif command == "setup":
        set_up(cases[arguments[0]], *map(pathlib.Path, arguments[1:]))
    elif command == "check":
        return check(cases[arguments[0]], arguments[1], *map(pathlib.Path, arguments[2:]))
    else:
        raise SystemExit(f"unknown command: {command}")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
