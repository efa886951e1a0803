; Pellam's installer, for 32-bit (x86) and 64-bit (x64) Windows from one
; script (tools/package.sh builds both):
;   makensis -DARCH=x64|x86 -DPAYLOAD=<release folder> -DOUTFILE=<setup.exe> pellam.nsi
; PAYLOAD holds Pellam.exe, Pellam_DLL.dll, pellamctl.exe, pellam-db.exe and licenses\.
;
; It installs the program, its device library, the command line pellamctl
; and the licence texts under Program Files; writes the installation record
; (App Paths) in the registry view both programs read, a Start-menu
; shortcut and an Add/Remove Programs entry; creates the database beside the
; program through the Access driver (pellam-db), unless a database is there
; already; and gives every user the rights the database needs, and no more
; (docs/windows-security.md). The uninstaller removes all of that and keeps
; the database unless the operator asks for it to go (a silent uninstall
; keeps it).
;
; Exit status of setup and of the uninstaller: 0 done; 2 failed (the
; database could not be made, a program file or a right could not be set);
; 3 the other architecture's Pellam is installed; 4 Pellam's files are in
; use (Pellam or pellamctl running). A silent run (/S) writes the reason to
; its standard error, when it has one, instead of showing it.
Unicode true

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define REGISTRY_VIEW 64
  !define OTHER_ARCH "32-bit"
!else if "${ARCH}" == "x86"
  ; On 64-bit Windows: Program Files (x86), and the 32-bit registry view
  ; (WOW6432Node), which is where the 32-bit program reads its record.
  !define PROGRAM_FILES "$PROGRAMFILES"
  !define REGISTRY_VIEW 32
  !define OTHER_ARCH "64-bit"
!else
  !error "ARCH must be x64 or x86"
!endif

!getdllversion "${PAYLOAD}\Pellam.exe" FILE_VERSION_
!define VERSION "${FILE_VERSION_1}.${FILE_VERSION_2}.${FILE_VERSION_3}.${FILE_VERSION_4}"
!define PUBLISHER "Qvoxline Circuits"
!define APP_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Pellam.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellam"
!define STATUS_FAILED 2
!define STATUS_OTHER_ARCH 3
!define STATUS_IN_USE 4
; Well-known SIDs, the same in every language of Windows.
!define USERS "*S-1-5-32-545"
!define AUTHENTICATED_USERS "*S-1-5-11"
!define EVERYONE "*S-1-1-0"
!define ADMINISTRATORS "*S-1-5-32-544"
!define SYSTEM "*S-1-5-18"
; By its full path: a bare name would be looked for beside the setup first.
!define ICACLS '"$SYSDIR\icacls.exe"'

!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh

Name "Pellam Board"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Qvoxline\Pellam"
; A reinstall goes where this setup installed the program before.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PUBLISHER}"
ShowInstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Pellam Board"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Pellam Board setup (${ARCH})"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var failures ; what could not be done, one line each

; Functions for setup and for the uninstaller (whose names start with "un.").
!macro SharedFunctions UN
  ; Tells the operator $R9: in a box, or, in a silent run, on the standard
  ; error the caller gave (or the console it runs in).
  Function ${UN}Tell
    ${IfNot} ${Silent}
      MessageBox MB_OK|MB_ICONEXCLAMATION "$R9"
      Return
    ${EndIf}
    System::Call 'kernel32::GetStdHandle(i -12) p .r0'
    ${If} $0 = 0
    ${OrIf} $0 = -1
      System::Call 'kernel32::AttachConsole(i -1) i .r1'
      ${If} $1 == 0
        Return
      ${EndIf}
      System::Call 'kernel32::CreateFile(t "CONOUT$$", i 0x40000000, i 3, p 0, i 3, i 0, p 0) p .r0'
    ${EndIf}
    ; The text goes by register: quotes in it would end a literal.
    StrCpy $R9 "$R9$\r$\n"
    System::Call 'kernel32::lstrlenA(m R9) i .r1'
    System::Call 'kernel32::WriteFile(p r0, m R9, i r1, *i .r2, p 0)'
  FunctionEnd

  ; Waits until no program file of the installation is in use: a program
  ; that runs, or a library that a program has loaded, cannot be opened for
  ; writing. Asks the operator to close the programs; a silent run, or the
  ; operator's Cancel, ends with STATUS_IN_USE and nothing changed.
  Function ${UN}WaitUntilNotInUse
    ${Do}
      StrCpy $R8 ""
      !insertmacro AddIfInUse "Pellam.exe"
      !insertmacro AddIfInUse "Pellam_DLL.dll"
      !insertmacro AddIfInUse "pellamctl.exe"
      ${If} $R8 == ""
        Return
      ${EndIf}
      StrCpy $R9 "These files of Pellam are in use:$R8$\r$\n$\r$\nClose Pellam and pellamctl (in every user's session) and any program that uses Pellam_DLL.dll"
      ${If} ${Silent}
        StrCpy $R9 "$R9, then run this again. Nothing was changed."
        Call ${UN}Tell
      ${Else}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$R9, then press Retry." IDRETRY continue
      ${EndIf}
      SetErrorLevel ${STATUS_IN_USE}
      Quit
      continue:
    ${Loop}
  FunctionEnd

  ; Runs icacls with the arguments in $R9; a failure is added to $failures.
  Function ${UN}Icacls
    nsExec::ExecToStack '${ICACLS} $R9'
    Pop $0
    Pop $1
    ${If} $0 != 0
      StrCpy $failures "$failures$\r$\nicacls $R9: $0 $1"
    ${EndIf}
  FunctionEnd
!macroend

; Adds "  NAME" to $R8 when $INSTDIR\NAME exists and cannot be opened for writing.
!macro AddIfInUse NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${NAME}" a
    ${If} ${Errors}
      StrCpy $R8 "$R8$\r$\n    ${NAME}"
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
!macroend

!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

!macro Icacls ARGUMENTS
  StrCpy $R9 '${ARGUMENTS}'
  Call Icacls
!macroend
!macro un.Icacls ARGUMENTS
  StrCpy $R9 '${ARGUMENTS}'
  Call un.Icacls
!macroend

; The program files are replaced as one step: each new file is written
; beside the old one as NAME.new; then, file by file, the old one becomes
; NAME.old and the new one takes its name. $R6 counts the files done; $R7
; names the file at which that failed.
!macro Replace NAME
  ${If} $R7 == ""
    Delete "$INSTDIR\${NAME}.old"
    ClearErrors
    ${If} ${FileExists} "$INSTDIR\${NAME}"
      Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}.old"
    ${EndIf}
    ; Testing the error flag clears it: each rename is tested once.
    ${If} ${Errors}
      StrCpy $R7 "${NAME}"
    ${Else}
      Rename "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
      ${If} ${Errors}
        StrCpy $R7 "${NAME}"
      ${Else}
        IntOp $R6 $R6 + 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend
; Puts a file back as it was before Replace: the files done go back to
; their old versions (or go, where there was none), the one that failed
; gets its old version back if it had been moved aside.
!macro PutBack INDEX NAME
  ${If} ${INDEX} < $R6
    Delete "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${ElseIf} ${INDEX} == $R6
  ${AndIfNot} ${FileExists} "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${EndIf}
  Delete "$INSTDIR\${NAME}.new"
!macroend
!macro RemoveOld NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}.old"
!macroend

Function .onInit
  SetShellVarContext all
  ; The 32-bit and the 64-bit Pellam side by side would share the Start-menu
  ; shortcut and the name in Add/Remove Programs (uninstalling one would take
  ; the other's shortcut), and each would have its own database: setup
  ; refuses while the other one is installed.
  StrCpy $0 ""
  !if "${ARCH}" == "x64"
    SetRegView 32
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  !else
    ${If} ${RunningX64}
      SetRegView 64
      ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
  !endif
  SetRegView ${REGISTRY_VIEW}
  ${If} $0 != ""
    StrCpy $R9 "The ${OTHER_ARCH} Pellam Board is installed in $0. The 32-bit and the 64-bit Pellam cannot be installed side by side: uninstall the ${OTHER_ARCH} one first (Apps / Programs and Features, $\"Pellam Board$\"; its database stays), then run this setup again."
    Call Tell
    SetErrorLevel ${STATUS_OTHER_ARCH}
    Quit
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView ${REGISTRY_VIEW}
FunctionEnd

Section "Pellam"
  Call WaitUntilNotInUse
  SetOutPath "$INSTDIR"
  ; A file that cannot be written (and is skipped) leaves the error flag.
  ClearErrors
  File "/oname=Pellam.exe.new" "${PAYLOAD}\Pellam.exe"
  File "/oname=Pellam_DLL.dll.new" "${PAYLOAD}\Pellam_DLL.dll"
  File "/oname=pellamctl.exe.new" "${PAYLOAD}\pellamctl.exe"
  StrCpy $R6 0
  StrCpy $R7 ""
  ${If} ${Errors}
    StrCpy $R7 "writing the new files"
  ${EndIf}
  !insertmacro Replace "Pellam.exe"
  !insertmacro Replace "Pellam_DLL.dll"
  !insertmacro Replace "pellamctl.exe"
  ${If} $R7 != ""
    !insertmacro PutBack 0 "Pellam.exe"
    !insertmacro PutBack 1 "Pellam_DLL.dll"
    !insertmacro PutBack 2 "pellamctl.exe"
    StrCpy $R9 "Setup could not replace Pellam's files ($R7): they are as they were before. Close every program that uses them, then run this setup again."
    Call Tell
    SetErrorLevel ${STATUS_FAILED}
    Quit
  ${EndIf}
  ; An old file a program still held goes when Windows restarts.
  !insertmacro RemoveOld "Pellam.exe"
  !insertmacro RemoveOld "Pellam_DLL.dll"
  !insertmacro RemoveOld "pellamctl.exe"

  SetOutPath "$INSTDIR\licenses"
  File "${PAYLOAD}\licenses\*.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${APP_KEY}" "" "$INSTDIR\Pellam.exe"
  CreateShortcut "$SMPROGRAMS\Pellam Board.lnk" "$INSTDIR\Pellam.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pellam Board"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pellam.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The database, made by the Access driver itself; an existing one holds
  ; the operator's boards and scripts and is kept.
  ${IfNot} ${FileExists} "$INSTDIR\Pellam.MDB"
    InitPluginsDir
    SetOutPath "$PLUGINSDIR"
    File "${PAYLOAD}\pellam-db.exe"
    SetOutPath "$INSTDIR"
    nsExec::ExecToStack '"$PLUGINSDIR\pellam-db.exe" create "$INSTDIR\Pellam.MDB"'
    Pop $0 ; exit status, or "error" when it could not run
    Pop $1 ; what it printed
    DetailPrint "$1"
    ${If} $0 != 0
      StrCpy $failures "$failures$\r$\nPellam's database could not be created:$\r$\n$1$\r$\nInstall the Access driver and run this setup again."
    ${EndIf}
  ${EndIf}

  ; The rights (docs/windows-security.md). Only administrators and SYSTEM
  ; add, replace or delete files in the folder, so no user can put a DLL
  ; beside the programs; users read and run. They are set here whatever the
  ; folder (one outside Program Files may inherit write rights for users),
  ; and the grants of earlier versions (Users could add files) go.
  !insertmacro Icacls '"$INSTDIR" /remove:g ${USERS} ${AUTHENTICATED_USERS} ${EVERYONE}'
  !insertmacro Icacls '"$INSTDIR" /inheritance:r /grant:r ${ADMINISTRATORS}:(OI)(CI)F ${SYSTEM}:(OI)(CI)F ${USERS}:(OI)(CI)RX'
  ; Nobody deletes a file here through the folder's "delete subfolders and
  ; files" right: a file that denies its own deletion (the lock file) stays.
  !insertmacro Icacls '"$INSTDIR" /deny ${EVERYONE}:(DC)'
  ${If} ${FileExists} "$INSTDIR\Pellam.MDB"
    ; Every user reads and writes the database, but cannot delete, rename
    ; or replace it (earlier versions gave Users modify).
    !insertmacro Icacls '"$INSTDIR\Pellam.MDB" /remove:g ${USERS}'
    !insertmacro Icacls '"$INSTDIR\Pellam.MDB" /grant ${USERS}:(R,W)'
    ; The Access driver's lock file, Pellam.ldb, made here once and for
    ; all, owned by administrators: every user reads and writes it, and no
    ; one deletes it when closing the database last (the driver would
    ; otherwise delete it, and a standard user could not make it again).
    ${If} ${FileExists} "$INSTDIR\Pellam.ldb"
      !insertmacro Icacls '"$INSTDIR\Pellam.ldb" /remove:d ${EVERYONE}'
      Delete "$INSTDIR\Pellam.ldb"
    ${EndIf}
    ${IfNot} ${FileExists} "$INSTDIR\Pellam.ldb"
      FileOpen $0 "$INSTDIR\Pellam.ldb" w
      FileClose $0
    ${EndIf}
    !insertmacro Icacls '"$INSTDIR\Pellam.ldb" /setowner ${ADMINISTRATORS}'
    !insertmacro Icacls '"$INSTDIR\Pellam.ldb" /reset'
    !insertmacro Icacls '"$INSTDIR\Pellam.ldb" /grant ${USERS}:(R,W)'
    !insertmacro Icacls '"$INSTDIR\Pellam.ldb" /deny ${EVERYONE}:(DE)'
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ${If} $failures != ""
    StrCpy $R9 "Setup installed Pellam, but not all of it:$failures"
    Call Tell
    SetErrorLevel ${STATUS_FAILED}
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.WaitUntilNotInUse
  Delete "$INSTDIR\Pellam.exe"
  Delete "$INSTDIR\Pellam_DLL.dll"
  Delete "$INSTDIR\pellamctl.exe"
  RMDir /r "$INSTDIR\licenses"
  Delete "$SMPROGRAMS\Pellam Board.lnk"
  ; The lock file denies its deletion: that goes first. Setup makes it again.
  ${If} ${FileExists} "$INSTDIR\Pellam.ldb"
    !insertmacro un.Icacls '"$INSTDIR\Pellam.ldb" /remove:d ${EVERYONE}'
    Delete "$INSTDIR\Pellam.ldb"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\Pellam.MDB"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Delete the database too? It holds the registered boards, their relay settings and the relay scripts:$\r$\n$INSTDIR\Pellam.MDB" /SD IDNO IDNO keep_database
      Delete "$INSTDIR\Pellam.MDB"
    keep_database:
  ${EndIf}
  !insertmacro un.Icacls '"$INSTDIR" /remove:d ${EVERYONE}'
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The maker's folder goes too once empty, but no folder the operator chose.
  ${GetParent} "$INSTDIR" $0
  ${GetFileName} "$0" $1
  ${If} $1 == "Qvoxline"
    RMDir "$0"
  ${EndIf}
  DeleteRegKey HKLM "${APP_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
