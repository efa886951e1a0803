; Pellam's installer, for 32-bit (x86) and 64-bit (x64) Windows from one
; script (tools/package.sh builds both):
;   makensis -DARCH=x64|x86 -DPAYLOAD=<release folder> -DOUTFILE=<setup.exe> pellam.nsi
; PAYLOAD holds Pellam.exe, Pellam_DLL.dll, pellamctl.exe, pellam-db.exe and licenses\.
;
; It installs the program, its device library, the command line pellamctl
; and the licence texts under Program Files; writes the installation record
; (App Paths) in the registry view both programs read, a Start-menu
; shortcut and an Add/Remove Programs
; entry; and creates the database beside the program through the Access
; driver (pellam-db), unless a database is there already. The uninstaller
; removes all of that and keeps the database unless the operator asks for it
; to go (a silent uninstall keeps it).
Unicode true

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define REGISTRY_VIEW 64
!else if "${ARCH}" == "x86"
  ; On 64-bit Windows: Program Files (x86), and the 32-bit registry view
  ; (WOW6432Node), which is where the 32-bit program reads its record.
  !define PROGRAM_FILES "$PROGRAMFILES"
  !define REGISTRY_VIEW 32
!else
  !error "ARCH must be x64 or x86"
!endif

!getdllversion "${PAYLOAD}\Pellam.exe" FILE_VERSION_
!define VERSION "${FILE_VERSION_1}.${FILE_VERSION_2}.${FILE_VERSION_3}.${FILE_VERSION_4}"
!define PUBLISHER "Qvoxline Circuits"
!define APP_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Pellam.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellam"
; The well-known SID of the local Users group (the same in every language).
!define USERS "*S-1-5-32-545"

!include FileFunc.nsh
!include LogicLib.nsh

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

Function .onInit
  SetShellVarContext all
  SetRegView ${REGISTRY_VIEW}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView ${REGISTRY_VIEW}
FunctionEnd

Section "Pellam"
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}\Pellam.exe"
  File "${PAYLOAD}\Pellam_DLL.dll"
  File "${PAYLOAD}\pellamctl.exe"
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
      MessageBox MB_OK|MB_ICONEXCLAMATION "Pellam's database could not be created:$\r$\n$\r$\n$1$\r$\nInstall the Access driver and run this setup again." /SD IDOK
      SetErrorLevel 2
    ${EndIf}
  ${EndIf}

  ; Standard users write the database, and the driver's lock file beside it
  ; (Pellam.ldb): they may create files in the folder and change the
  ; database, but not replace the program or its library.
  nsExec::ExecToLog 'icacls "$INSTDIR" /grant ${USERS}:(WD)'
  Pop $0
  nsExec::ExecToLog 'icacls "$INSTDIR\Pellam.MDB" /grant ${USERS}:(M)'
  Pop $0

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\Pellam.exe"
  Delete "$INSTDIR\Pellam_DLL.dll"
  Delete "$INSTDIR\pellamctl.exe"
  RMDir /r "$INSTDIR\licenses"
  Delete "$SMPROGRAMS\Pellam Board.lnk"
  ; A lock file is left behind only when the program ended abnormally.
  Delete "$INSTDIR\Pellam.ldb"
  ${If} ${FileExists} "$INSTDIR\Pellam.MDB"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Delete the database too? It holds the registered boards, their relay settings and the relay scripts:$\r$\n$INSTDIR\Pellam.MDB" /SD IDNO IDNO keep_database
      Delete "$INSTDIR\Pellam.MDB"
    keep_database:
  ${EndIf}
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
