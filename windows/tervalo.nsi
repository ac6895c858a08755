; The Windows installer, built by scripts/windows-package.sh with:
;   VERSION  the program's version (1.3.0)
;   FILES    the generated list of the portable folder's files, as the
;            macros TervaloInstallFiles and TervaloRemoveFiles
;   ICON     the program's icon
;   SIZE_KB  the installed size, for Apps & features
;   OUTFILE  where the installer goes
;   SIGN     optional: a command that signs the file named after it in
;            place; the installer and the uninstaller inside it are signed
;
; It installs for the current user only, so it needs no administrator
; rights, into %LOCALAPPDATA%\Programs\Tervalo, with a Start-menu shortcut
; and an entry in Apps & features. /S installs (and uninstalls) silently.
; The uninstaller removes exactly the files, shortcut and registry key that
; the installer wrote.
;
; Before it writes anything, the installer refuses a Windows older than 10
; (Qt 6 cannot run there) and waits while Tervalo runs from the folder it
; would change; silently it then ends with status 2, having changed
; nothing. Over an installed version it first runs that version's own
; uninstaller, which knows that version's files, so that files the new
; version no longer ships go too.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "WinVer.nsh"
!include "${FILES}"

!define PRODUCT "Tervalo"
!define PROGRAM "tervalo.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tervalo"
; The exit status of a silent run that refused to change anything.
!define REFUSED 2
!searchparse /file "${__FILEDIR__}/../window/tervalo_product.h" '#define TERVALO_PUBLISHER "' PUBLISHER '"'
!searchparse /file "${__FILEDIR__}/../window/tervalo_product.h" '#define TERVALO_COPYRIGHT "' COPYRIGHT '"'

!ifdef SIGN
    !finalize '${SIGN} "%1"' = 0
    !uninstfinalize '${SIGN} "%1"' = 0
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tervalo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The language chosen at installation is kept in the uninstall key, which
; the uninstaller deletes with everything else.
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; Italian first: the program speaks Italian, and so does the installer
; unless Windows speaks English.
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString OldWindows ${LANG_ITALIAN} "${PRODUCT} richiede Windows 10 o 11 a 64 bit e su questo computer non può funzionare. Non è stato installato nulla."
LangString OldWindows ${LANG_ENGLISH} "${PRODUCT} needs 64-bit Windows 10 or 11 and cannot run on this computer. Nothing has been installed."
LangString Running ${LANG_ITALIAN} "${PRODUCT} è in esecuzione da $R0.$\r$\n$\r$\nChiudi ${PRODUCT}, poi scegli Riprova."
LangString Running ${LANG_ENGLISH} "${PRODUCT} is running from $R0.$\r$\n$\r$\nClose ${PRODUCT}, then choose Retry."
LangString OldNotRemoved ${LANG_ITALIAN} "Non è stato possibile rimuovere la versione di ${PRODUCT} installata in $R0. Nulla è stato cambiato."
LangString OldNotRemoved ${LANG_ENGLISH} "The version of ${PRODUCT} installed in $R0 could not be removed. Nothing has been changed."

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"

; Sets $R1 to 1 when a process runs the program from the folder $R0, else
; to 0. Windows names each process's program by its full path, which is
; compared without regard to case, as Windows compares paths.
!macro FindRunningProgram un
Function ${un}FindRunningProgram
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    StrCpy $R1 0
    ; Room for 4096 process ids.
    System::Alloc 16384
    Pop $0
    System::Call "psapi::EnumProcesses(p r0, i 16384, *i .r1) i .r2"
    ${If} $2 <> 0
        IntOp $1 $1 / 4
        StrCpy $2 0
        ${While} $2 < $1
            IntPtrOp $3 $2 * 4
            IntPtrOp $3 $0 + $3
            System::Call "*$3(i .r3)"
            ; PROCESS_QUERY_LIMITED_INFORMATION
            System::Call "kernel32::OpenProcess(i 0x1000, i 0, i r3) p .r3"
            ${If} $3 != 0
                System::Call "kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r4, *i ${NSIS_MAX_STRLEN}) i"
                System::Call "kernel32::CloseHandle(p r3)"
                ${If} $4 == "$R0\${PROGRAM}"
                    StrCpy $R1 1
                    ${Break}
                ${EndIf}
            ${EndIf}
            IntOp $2 $2 + 1
        ${EndWhile}
    ${EndIf}
    System::Free $0
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro FindRunningProgram ""
!insertmacro FindRunningProgram "un."

; Waits while the program runs from the folder $R0: Retry looks again,
; Cancel (and a silent run) ends here with nothing changed.
!macro RefuseWhileRunning un
Function ${un}RefuseWhileRunning
    retry:
    Call ${un}FindRunningProgram
    ${If} $R1 = 1
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(Running)" /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${REFUSED}
        Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro RefuseWhileRunning ""
!insertmacro RefuseWhileRunning "un."

Function .onInit
    SetShellVarContext current
    ${IfNot} ${AtLeastWin10}
        MessageBox MB_OK|MB_ICONSTOP "$(OldWindows)" /SD IDOK
        SetErrorLevel ${REFUSED}
        Quit
    ${EndIf}
    !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Function un.onInit
    SetShellVarContext current
    !insertmacro MUI_UNGETLANGUAGE
    StrCpy $R0 $INSTDIR
    Call un.RefuseWhileRunning
FunctionEnd

; The installed version, found through its uninstall key, goes first, by its
; own uninstaller run in its folder (_?=), which waits for it to finish.
Function RemoveInstalledVersion
    ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${IfThen} $R0 == "" ${|} Return ${|}
    ${IfNotThen} ${FileExists} "$R0\${UNINSTALLER}" ${|} Return ${|}
    Call RefuseWhileRunning
    ClearErrors
    ExecWait '"$R0\${UNINSTALLER}" /S _?=$R0' $0
    ${If} ${Errors}
    ${OrIf} $0 <> 0
        MessageBox MB_OK|MB_ICONSTOP "$(OldNotRemoved)" /SD IDOK
        SetErrorLevel ${REFUSED}
        Quit
    ${EndIf}
    ; Run in place, the uninstaller cannot delete itself.
    Delete "$R0\${UNINSTALLER}"
    RMDir "$R0"
FunctionEnd

Section "Tervalo"
    StrCpy $R0 $INSTDIR
    Call RefuseWhileRunning
    Call RemoveInstalledVersion

    !insertmacro TervaloInstallFiles
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    !insertmacro TervaloRemoveFiles
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
