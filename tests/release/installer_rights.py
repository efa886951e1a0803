#!/usr/bin/env python3
"""Reads the installer script and fails on a grant that would let a standard
user plant code beside the programs, or lock other users out of the database.

Rules (docs/windows-security.md):
  - rights are set only with icacls, by its full path ($SYSDIR), never with
    a plug-in;
  - the folder's rights are set whatever the folder: nothing inherited from
    above, and the grants of earlier versions removed;
  - Users, Authenticated Users and Everyone get at most read and execute on
    the program folder (inherited by its files);
  - beyond that, grants to them only on the database and its lock file, and
    only read and write (R, W): never delete, modify or full control;
  - the lock file is made by setup and denies its deletion to everyone.
Usage: installer_rights.py SCRIPT   (exit 1 on a finding)
"""
import re
import sys

BROAD = {"*S-1-5-32-545", "*S-1-5-11", "*S-1-1-0", "USERS", "BUILTIN\\USERS", "EVERYONE",
         "AUTHENTICATED USERS", "NT AUTHORITY\\AUTHENTICATED USERS"}
DATA_FILES = {"Pellam.MDB", "Pellam.ldb"}
FOLDER = '"$INSTDIR"'


def defines(text):
    return dict(re.findall(r'^\s*!define\s+(\w+)\s+"([^"]*)"', text, re.MULTILINE))


def expand(line, values):
    return re.sub(r"\$\{(\w+)\}", lambda m: values.get(m.group(1), m.group(0)), line)


def icacls_calls(text, values):
    """(target, operations) of each icacls call, operations as (switch, [args])."""
    calls = []
    for line in text.splitlines():
        if line.lstrip().startswith(";"):
            continue
        line = expand(line, values)
        match = re.search(r"Icacls '(.*)'\s*$", line)
        if not match:
            match = re.search(r"icacls(?:\.exe)?\"?\s+(.*?)'?\s*$", line, re.IGNORECASE)
            if not match or "$R9" in match.group(1):
                continue  # the helper that runs the calls listed elsewhere
        words = re.findall(r'"[^"]*"|\S+', match.group(1))
        if not words:
            continue
        target, operations, current = words[0], [], None
        for word in words[1:]:
            if word.startswith("/"):
                current = (word.lower(), [])
                operations.append(current)
            elif current:
                current[1].append(word)
        calls.append((target, operations))
    return calls


def findings(text):
    values = defines(text)
    problems = []
    if re.search(r"AccessControl::|\bcacls\b", re.sub("icacls", "", text, flags=re.I), re.I):
        problems.append("rights set other than by icacls")
    if not re.search(r'!define\s+ICACLS\s+\'"\$SYSDIR\\icacls\.exe"\'', text):
        problems.append("icacls is not run by its full path in the system folder")
    calls = icacls_calls(text, values)
    for target, operations in calls:
        for switch, arguments in operations:
            if not switch.startswith("/grant"):
                continue
            for argument in arguments:
                who, _, rights = argument.strip('"').partition(":")
                if who.upper() not in BROAD:
                    continue
                where = f"{target} {switch} {argument}"
                # "(OI)(CI)RX", "(R,W)", "F": inheritance flags and rights, in
                # brackets or not.
                flags = {a or b for a, b in re.findall(r"\(([^)]*)\)|([A-Za-z,]+)", rights)}
                if target == FOLDER:
                    if not flags - {"OI", "CI"} or not flags - {"OI", "CI"} <= {"RX", "R"}:
                        problems.append(f"grant on the program folder beyond read and execute: "
                                        f"{where}")
                elif flags & {"OI", "CI", "IO"}:
                    problems.append(f"inherited grant: {where}")
                elif target.strip('"').split("\\")[-1] not in DATA_FILES:
                    problems.append(f"grant on a file that is not the database's: {where}")
                elif not flags or not flags <= {"R,W", "R", "W", "RX"}:
                    problems.append(f"grant beyond read and write: {where}")
    removed = any(t == FOLDER and s.startswith("/remove") and "*S-1-5-32-545" in a
                  for t, ops in calls for s, a in ops)
    if not removed:
        problems.append("the folder's grants for Users from earlier versions are not removed")
    own = any(t == FOLDER and s == "/inheritance:r" for t, ops in calls for s, a in ops)
    if not own:
        problems.append("the folder inherits its rights from wherever it lies")
    lock_denied = any(t.endswith('\\Pellam.ldb"') and s == "/deny" and "*S-1-1-0:(DE)" in a
                      for t, ops in calls for s, a in ops)
    if not lock_denied:
        problems.append("the lock file does not deny its deletion to everyone")
    return problems


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        problems = findings(f.read())
    for problem in problems:
        print("     " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
