; VantrelSetup.exe: the per-user installer of Vantrel.exe.
;
;   makensis -DVANTREL_EXE=<path of Vantrel.exe> -DOUTFILE=<setup path> [-DSIGN=<command>]
;            [-DAGENCY_SETTINGS=<Vantrel.dat> [-DAGENCY_ROUTES=<PRoute.dat>] [-DAGENCY_TLS_HOSTS=<TlsHosts.dat>]]
;            installer/vantrel.nsi
;
; (/D instead of -D with makensis on Windows.) scripts/package.sh passes these; SIGN is the
; command that signs a file named after it (bash scripts/sign.sh). The version
; comes from res/version.h, where the program's version is written once.
;
; Vantrel keeps its settings and logs in its own folder, so it goes where the agent can
; write without elevation: %LOCALAPPDATA%\Programs\Vantrel, registered for this user only.
;
; The uninstaller removes what this installer put there and Vantrel's logs: the two it rewrites
; on every run (vantrel.log, export.log) and the import history (imports.log, imports.old.log).
; It keeps the agent's files: Vantrel.dat (the settings), PRoute.dat and Route.dat (site
; routing), and anything else found in the folder; the folder itself goes only when nothing is
; left in it. c:\Program Files\TOVE, which Vantrel makes itself as a place for export files,
; is left alone.
;
; An agency's installer also carries the agency's settings and routes. Vantrel.dat is the
; agent's (Setup edits it), so it is installed only where there is none. PRoute.dat belongs to
; the agency, so a newer installer replaces it, unless someone changed it since an installer put
; it there: the installer records the file's time and size as it wrote them, and a file found
; with another time or size (or with no record, as after a removal) is someone's and is kept.
; That is Windows Installer's own rule for data files, with the time and size standing in for
; the file hash NSIS cannot take without a plug-in. TlsHosts.dat, the hosts IT knows to take
; TLS, is installed like Vantrel.dat, only where there is none: Vantrel adds the hosts it
; learns to the same file.

Unicode true
; 64-bit stubs: the installer and uninstaller run on 64-bit Windows and under wine64.
Target amd64-unicode

!ifndef VANTREL_EXE
    !error "define VANTREL_EXE, the path of the Vantrel.exe to install"
!endif
!ifndef OUTFILE
    !error "define OUTFILE, the path of the installer to write (build/windows/VantrelSetup.exe)"
!endif

!ifdef SIGN
    ; The uninstaller is signed before it is packed into the installer, the installer once written.
    !uninstfinalize '${SIGN} "%1"' = 0
    !finalize '${SIGN} "%1"' = 0
!endif

!searchparse /file "${__FILEDIR__}/../res/version.h" '#define VANTREL_VERSION_TEXT "' VERSION '"'
!searchparse /file "${__FILEDIR__}/../res/version.h" "#define VANTREL_VERSION_1 " VERSION_1
!searchparse /file "${__FILEDIR__}/../res/version.h" "#define VANTREL_VERSION_2 " VERSION_2
!searchparse /file "${__FILEDIR__}/../res/version.h" "#define VANTREL_VERSION_3 " VERSION_3
!searchparse /file "${__FILEDIR__}/../res/version.h" "#define VANTREL_VERSION_4 " VERSION_4
!define VERSION_QUAD "${VERSION_1}.${VERSION_2}.${VERSION_3}.${VERSION_4}"

!define PRODUCT "Vantrel"
!define PUBLISHER "Vantrel Project"
!define DESCRIPTION "Comparative Rater Import Utility"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Vantrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup - ${DESCRIPTION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "VantrelSetup.exe"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vantrel.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!ifdef AGENCY_ROUTES
; The record of the routes file an installer wrote: its time of last change and its size.
!macro RoutesStamp OUT
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    ${GetTime} "$INSTDIR\PRoute.dat" "M" $0 $1 $2 $3 $4 $5 $6
    FileOpen $7 "$INSTDIR\PRoute.dat" r
    FileSeek $7 0 END $3
    FileClose $7
    StrCpy ${OUT} "$2-$1-$0 $4:$5:$6 $3"
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
!macroend

Function InstallAgencyRoutes
    IfFileExists "$INSTDIR\PRoute.dat" 0 write
    ReadRegStr $8 HKCU "${UNINSTALL_KEY}" "AgencyRoutesStamp"
    !insertmacro RoutesStamp $9
    StrCmp $8 $9 write
    DetailPrint "Keeping PRoute.dat: it was changed since it was installed"
    Return
write:
    File "/oname=PRoute.dat" "${AGENCY_ROUTES}"
    !insertmacro RoutesStamp $9
    WriteRegStr HKCU "${UNINSTALL_KEY}" "AgencyRoutesStamp" $9
FunctionEnd
!endif

Section "Vantrel" SectionProgram
    SectionIn RO
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "/oname=Vantrel.exe" "${VANTREL_EXE}"
!ifdef AGENCY_SETTINGS
    ; The agent's settings: only where there are none.
    SetOverwrite off
    File "/oname=Vantrel.dat" "${AGENCY_SETTINGS}"
!ifdef AGENCY_TLS_HOSTS
    File "/oname=TlsHosts.dat" "${AGENCY_TLS_HOSTS}"
!endif
    SetOverwrite on
!endif
!ifdef AGENCY_ROUTES
    Call InstallAgencyRoutes
!endif
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcut starts Vantrel in its folder (the output path is its working directory).
    CreateDirectory "$SMPROGRAMS\Vantrel"
    CreateShortcut "$SMPROGRAMS\Vantrel\Vantrel.lnk" "$INSTDIR\Vantrel.exe" "" "$INSTDIR\Vantrel.exe" 0 \
        SW_SHOWNORMAL "" "${DESCRIPTION}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Comments" "${DESCRIPTION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantrel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/M=*.exe /S=0K /G=0" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$INSTDIR\Vantrel.exe"
    Delete "$INSTDIR\vantrel.log"
    Delete "$INSTDIR\export.log"
    Delete "$INSTDIR\imports.log"
    Delete "$INSTDIR\imports.old.log"
    Delete "$INSTDIR\uninstall.exe"

    Delete "$SMPROGRAMS\Vantrel\Vantrel.lnk"
    RMDir "$SMPROGRAMS\Vantrel"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; Not /r: the folder stays while the agent's settings (Vantrel.dat) or other files are in it.
    RMDir "$INSTDIR"
SectionEnd
