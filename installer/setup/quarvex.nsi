; The setup program of Quarvex: installs the program for the current user
; (no administrator rights needed) or for every user of the computer, with
; the sample map, user guide, README and licence, a Start-menu shortcut, an "Open with"
; entry for .jpg and an uninstaller registered with Windows.
;
; Two setup programs are made from it, each holding one program:
; quarvex-<version>-setup-x64.exe (a 64-bit setup program with the x86-64
; program, for 64-bit Windows) and quarvex-<version>-setup-x86.exe (a 32-bit
; one with the x86 program, for 32-bit Windows; it runs on 64-bit Windows too).
;
; Silent use:  quarvex-<version>-setup-<arch>.exe /S [/CurrentUser | /AllUsers] [/D=<folder>]
;              uninstall.exe /S [/CurrentUser | /AllUsers] [/RemoveSettings]
;
; Made by tools/package.sh, which passes:
;   VERSION   the program's version, four numbers (1.0.0.1)
;   OUTFILE   the setup program to write
;   STAGE     a folder with README.txt, LICENSE.txt, guide\ and Sample\ (CR LF texts)
;   GUIDE_UNINSTALL  the Delete and RMDir lines of the guide's files
;   ICON      the program's icon
;   EXE_X86   quarvex.exe for x86        } one of them, which says which setup
;   EXE_X64   quarvex.exe for x86-64     } program this is

!ifdef EXE_X64
    !ifdef EXE_X86
        !error "a setup program holds one program: pass EXE_X86 or EXE_X64"
    !endif
    Target amd64-unicode
!else
    Target x86-unicode
!endif
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Quarvex"
!define PUBLISHER "The Quarvex developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarvex"
; Written by the program itself (its profile and its shell registration).
!define PROFILE_PARENT "Software\Local AppWizard-Generated Applications"
!define PROFILE_KEY "${PROFILE_PARENT}\quarvex"
!define PROGRAM_TYPE "Image.Document"
; Our own type for the "Open with" list: the program's type above may name
; another copy of the program (the portable zip) and is its to rewrite.
!define OPENWITH_TYPE "Quarvex.Image.1"
; How Explorer starts this copy on a file: written by the installer, and what
; the uninstaller recognises its own keys (and the program's) by.
!define OPEN_COMMAND '"$INSTDIR\quarvex.exe" "%1"'
; SHCNE_ASSOCCHANGED: Explorer rereads the associations.
!define NOTIFY_ASSOCIATIONS "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'"

!ifndef EXE_X86
    !ifndef EXE_X64
        !error "tools/package.sh passes EXE_X86 or EXE_X64"
    !endif
!endif

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 the Quarvex developers"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

; Per-user installs need no rights; administrators are offered both.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_FUNCTION InstallModeChosen
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include nsDialogs.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

Var CommandLineDir   ; /D=, which the install mode must not replace
Var RemoveSettings   ; 1: the uninstaller removes the program's profile
Var SettingsCheckbox
Var ModeSwitch       ; /CurrentUser or /AllUsers, for the uninstaller

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\quarvex.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

LangString ProgramRunning ${LANG_ENGLISH} "Quarvex is running from $INSTDIR. Close it, then choose Retry."
LangString UninstallTitle ${LANG_ENGLISH} "Uninstall Quarvex"
LangString UninstallSubtitle ${LANG_ENGLISH} "Remove Quarvex from this computer."
LangString UninstallIntro ${LANG_ENGLISH} "Quarvex will be removed from the folder below. Only the files the setup program installed are removed: your maps, control-point files (.tvg), image settings (.quarvex), shapefiles, copied images and world files stay where they are, also in this folder."
LangString UninstallSettings ${LANG_ENGLISH} "Also remove my Quarvex &settings (recent files and other preferences)"

; The machine's own registry view on 64-bit Windows, also for the x86
; setup program: the Uninstall key is then where Windows looks first. A
; 64-bit setup program has that view already.
!macro UseMachineRegistryView
!ifndef EXE_X64
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
!endif
!macroend

; --- installing ---------------------------------------------------------------

Function .onInit
    StrCpy $CommandLineDir $INSTDIR
    !insertmacro UseMachineRegistryView
    !insertmacro MULTIUSER_INIT
FunctionEnd

; Called whenever the install mode is set: the folder for that mode, the one
; of an earlier installation in that mode, or the /D= folder above all.
Function InstallModeChosen
    ReadRegStr $0 SHCTX "${UNINST_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${EndIf}
    ; The x86-64 program belongs in the 64-bit Program Files, also when the
    ; x86 program was installed in the other one before.
!ifdef EXE_X64
    ${If} $INSTDIR == "$PROGRAMFILES32\${PRODUCT}"
        StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${EndIf}
!endif
    ${If} $CommandLineDir != ""
        StrCpy $INSTDIR $CommandLineDir
    ${EndIf}
FunctionEnd

Section "Quarvex" SectionProgram
    SectionIn RO
    ${If} $MultiUser.InstallMode == "AllUsers"
        StrCpy $ModeSwitch "/AllUsers"
    ${Else}
        StrCpy $ModeSwitch "/CurrentUser"
    ${EndIf}
    ; An earlier installation in this mode in another folder goes first:
    ; nothing would remove its files once the Uninstall key names this one.
    ReadRegStr $0 SHCTX "${UNINST_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 != $INSTDIR
    ${AndIf} ${FileExists} "$0\uninstall.exe"
        DetailPrint "Removing the earlier installation in $0"
        ExecWait '"$0\uninstall.exe" /S $ModeSwitch _?=$0'
        Delete "$0\uninstall.exe"
        RMDir "$0"
    ${EndIf}
    SetOutPath "$INSTDIR"
!ifdef EXE_X64
    File "/oname=quarvex.exe" "${EXE_X64}"
!else
    File "/oname=quarvex.exe" "${EXE_X86}"
!endif
    ; The coordinate-system database the program reads from its own folder.
    File "${STAGE}/proj.db"
    File "${STAGE}/README.txt"
    File "${STAGE}/LICENSE.txt"
    ; The user guide F1 opens.
    SetOutPath "$INSTDIR\guide"
    File /r "${STAGE}/guide/*"
    SetOutPath "$INSTDIR\Sample"
    File "${STAGE}/Sample/sample_map.jpg"
    ; Control points the user has since placed on the sample are kept.
    SetOverwrite ifnewer
    File "${STAGE}/Sample/sample_map.tvg"
    SetOverwrite on
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quarvex.exe" "" "$INSTDIR\quarvex.exe" 0

    ; "Open with" for .jpg; the default program for .jpg stays the user's.
    WriteRegStr SHCTX "Software\Classes\${OPENWITH_TYPE}" "" "JPG Image"
    WriteRegStr SHCTX "Software\Classes\${OPENWITH_TYPE}\DefaultIcon" "" "$INSTDIR\quarvex.exe,0"
    WriteRegStr SHCTX "Software\Classes\${OPENWITH_TYPE}\shell\open\command" "" '${OPEN_COMMAND}'
    WriteRegStr SHCTX "Software\Classes\.jpg\OpenWithProgids" "${OPENWITH_TYPE}" ""
    WriteRegStr SHCTX "Software\Classes\Applications\quarvex.exe" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr SHCTX "Software\Classes\Applications\quarvex.exe\shell\open\command" "" '${OPEN_COMMAND}'
    WriteRegStr SHCTX "Software\Classes\Applications\quarvex.exe\SupportedTypes" ".jpg" ""

    WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\quarvex.exe,0"
    WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" $ModeSwitch'
    WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S $ModeSwitch'
    WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
    WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $1

    ${NOTIFY_ASSOCIATIONS}
SectionEnd

; --- uninstalling -------------------------------------------------------------

Function un.onInit
    !insertmacro UseMachineRegistryView
    ; The Uninstall key names the mode (/CurrentUser or /AllUsers).
    !insertmacro MULTIUSER_UNINIT
    StrCpy $RemoveSettings 0
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "/RemoveSettings" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveSettings 1
    ${EndIf}
FunctionEnd

Function un.OptionsPage
    !insertmacro MUI_HEADER_TEXT "$(UninstallTitle)" "$(UninstallSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 40u "$(UninstallIntro)"
    Pop $0
    ${NSD_CreateText} 0 44u 100% 12u "$INSTDIR"
    Pop $0
    SendMessage $0 ${EM_SETREADONLY} 1 0
    ${NSD_CreateCheckbox} 0 66u 100% 12u "$(UninstallSettings)"
    Pop $SettingsCheckbox
    ${If} $RemoveSettings == 1
        ${NSD_Check} $SettingsCheckbox
    ${EndIf}
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
    nsDialogs::Show
FunctionEnd

Function un.OptionsLeave
    ${NSD_GetState} $SettingsCheckbox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $RemoveSettings 1
    ${Else}
        StrCpy $RemoveSettings 0
    ${EndIf}
FunctionEnd

; The sample's control points are the user's once the program has rewritten
; them (placing points on the sample does): removed only while unchanged,
; that is while they keep the packed file's time (to two seconds, which is
; what file systems such as FAT and the setup program itself keep).
Function un.RemoveSampleControlPoints
    GetFileTimeLocal "${STAGE}/Sample/sample_map.tvg" $R0 $R1
    ClearErrors
    GetFileTime "$INSTDIR\Sample\sample_map.tvg" $R2 $R3
    ${If} ${Errors}
    ${OrIf} $R0 != $R2
        Return
    ${EndIf}
    IntOp $R4 $R1 - $R3
    ${If} $R4 < 0
        IntOp $R4 0 - $R4
    ${EndIf}
    ${If} $R4 <= 20000000
        Delete "$INSTDIR\Sample\sample_map.tvg"
    ${EndIf}
FunctionEnd

; The program registers its own document type for the user who runs it, and
; .jpg for that type when no other program had .jpg: both go while they
; still name this copy of the program, so no association points at a file
; that is gone. Another copy's registration and the user's own choice stay.
Function un.RemoveProgramAssociation
    ReadRegStr $0 HKCU "Software\Classes\${PROGRAM_TYPE}\shell\open\command" ""
    ${If} $0 != '${OPEN_COMMAND}'
        Return
    ${EndIf}
    ReadRegStr $1 HKCU "Software\Classes\.jpg" ""
    ${If} $1 == "${PROGRAM_TYPE}"
        DeleteRegValue HKCU "Software\Classes\.jpg" ""
        DeleteRegKey /ifnosubkeys /ifnovalues HKCU "Software\Classes\.jpg"
    ${EndIf}
    DeleteRegKey HKCU "Software\Classes\${PROGRAM_TYPE}"
FunctionEnd

Section "Uninstall"
    ; A running program keeps its file: ask rather than leave half of it.
retry:
    ClearErrors
    Delete "$INSTDIR\quarvex.exe"
    ${If} ${Errors}
    ${AndIf} ${FileExists} "$INSTDIR\quarvex.exe"
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Abort
    ${EndIf}
    Delete "$INSTDIR\proj.db"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    !include "${GUIDE_UNINSTALL}"
    Delete "$INSTDIR\Sample\sample_map.jpg"
    Call un.RemoveSampleControlPoints
    RMDir "$INSTDIR\Sample"
    Delete "$INSTDIR\uninstall.exe"
    ; Never recursive: what the user saved here stays, and the folder with it.
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    DeleteRegKey SHCTX "Software\Classes\${OPENWITH_TYPE}"
    DeleteRegValue SHCTX "Software\Classes\.jpg\OpenWithProgids" "${OPENWITH_TYPE}"
    DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "Software\Classes\.jpg\OpenWithProgids"
    DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "Software\Classes\.jpg"
    ; Windows writes the same key when a user browses to a quarvex.exe in
    ; "Open with": only ours, naming this copy, goes.
    ReadRegStr $0 SHCTX "Software\Classes\Applications\quarvex.exe\shell\open\command" ""
    ${If} $0 == '${OPEN_COMMAND}'
        DeleteRegKey SHCTX "Software\Classes\Applications\quarvex.exe"
    ${EndIf}
    Call un.RemoveProgramAssociation

    ${If} $RemoveSettings == 1
        DeleteRegKey HKCU "${PROFILE_KEY}"
        DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${PROFILE_PARENT}"
    ${EndIf}

    DeleteRegKey SHCTX "${UNINST_KEY}"
    ${NOTIFY_ASSOCIATIONS}
SectionEnd
