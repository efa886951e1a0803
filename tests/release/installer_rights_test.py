#!/usr/bin/env python3
"""The installer-rights check passes the installer script as it is and fails
each way of letting users plant code or lose the database."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import installer_rights  # noqa: E402

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "installer",
                      "pellam.nsi")
MDB_GRANT = "!insertmacro Icacls '\"$INSTDIR\\Pellam.MDB\" /grant ${USERS}:(R,W)'"
LOCK_DENY = "!insertmacro Icacls '\"$INSTDIR\\Pellam.ldb\" /deny ${EVERYONE}:(DE)'"
FOLDER_RIGHTS = ("!insertmacro Icacls '\"$INSTDIR\" /inheritance:r /grant:r ${ADMINISTRATORS}:(OI)(CI)F "
                 "${SYSTEM}:(OI)(CI)F ${USERS}:(OI)(CI)RX'")
FOLDER_REMOVE = ("!insertmacro Icacls '\"$INSTDIR\" /remove:g ${USERS} ${AUTHENTICATED_USERS} "
                 "${EVERYONE}'")


class InstallerRights(unittest.TestCase):
    def setUp(self):
        with open(SCRIPT, encoding="utf-8") as f:
            self.script = f.read()
        for line in (MDB_GRANT, LOCK_DENY, FOLDER_RIGHTS, FOLDER_REMOVE):
            self.assertIn(line, self.script)

    def test_the_script_passes(self):
        self.assertEqual(installer_rights.findings(self.script), [])

    def test_each_regression_fails_for_its_reason(self):
        section = "Section \"Pellam\"\n"
        cases = [  # what changes in the script, and the finding it must give
            (section, section + "  nsExec::ExecToLog 'icacls \"$INSTDIR\" /grant ${USERS}:(WD)'\n",
             "grant on the program folder"),
            (section, section + "  nsExec::Exec '\"$SYSDIR\\icacls.exe\" \"$INSTDIR\" /grant "
             "\"Authenticated Users:(M)\"'\n", "grant on the program folder"),
            (FOLDER_RIGHTS, FOLDER_RIGHTS.replace("(OI)(CI)RX", "(OI)(CI)(RX,W)"),
             "grant on the program folder"),
            (FOLDER_RIGHTS, FOLDER_RIGHTS.replace(" /inheritance:r", ""), "inherits its rights"),
            (MDB_GRANT, MDB_GRANT.replace("(R,W)", "(M)"), "grant beyond read and write"),
            (MDB_GRANT, MDB_GRANT.replace("Pellam.MDB", "Pellam.exe"), "not the database's"),
            (MDB_GRANT, MDB_GRANT.replace("(R,W)", "(OI)(CI)(R,W)"), "inherited grant"),
            (LOCK_DENY, "", "does not deny its deletion"),
            (FOLDER_REMOVE, "", "from earlier versions are not removed"),
            ("!define ICACLS '\"$SYSDIR\\icacls.exe\"'", "!define ICACLS 'icacls'",
             "not run by its full path"),
            (section, section + "  AccessControl::GrantOnFile \"$INSTDIR\" \"(S-1-5-32-545)\" "
             "\"FullAccess\"\n", "other than by icacls"),
        ]
        for old, new, expected in cases:
            with self.subTest(expected=expected, new=new):
                self.assertIn(old, self.script)
                found = installer_rights.findings(self.script.replace(old, new, 1))
                self.assertTrue(any(expected in finding for finding in found), found)


if __name__ == "__main__":
    unittest.main()
