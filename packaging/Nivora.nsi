; Nivora's setup program and its uninstaller (NSIS 3, 64-bit Unicode).
;
; The setup installs Nivora for every user of the computer into "C:\Program Files\Nivora", adds
; a Start-menu shortcut "Nivora" and the entry that Windows lists under installed programs and,
; if asked, the start at log-on (the same per-user Run value "NVA" that Nivora's own
; "Automatically start when Windows starts" writes). The uninstaller takes all of that away and
; asks whether the user's settings and window lists go too. Both first ask a running Nivora to
; end and wait for it, so that whatever it hides comes back before its files are touched.
;
; Silent use: "setup.exe /S" installs with the defaults (the start at log-on kept as it is, or
; switched on with /AUTOSTART); "Uninstall.exe /S" uninstalls and keeps the settings.
;
; Built by scripts/dist.sh, which defines VERSION (from res/version.h), SOURCE (the source
; tree), STAGE (a folder holding files.nsh and the staged program files), ICON and OUTFILE.

Unicode true
Target amd64-unicode
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include "${STAGE}/files.nsh"  ; NV_INSTALL_FILES and NV_REMOVE_FILES, from packaging/files.txt

!define PUBLISHER "Nivora project"  ; as CompanyName in the version resource
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nivora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "NVA"
; How a running Nivora is found and asked to end: its single-instance mutex, the class of its
; main window and the registered message that closes that window as "Terminate" does.
!define NIVORA_MUTEX "NivoraMutex"
!define NIVORA_WINDOW_CLASS "TMainForm"
!define NIVORA_END_MESSAGE "NivoraTerminate"
!define NIVORA_END_WAIT_MS 30000
; Where Nivora keeps each user's settings and lists.
!define DATA_FOLDER "$APPDATA\Talvern\NVA"
!define PASSWORD_KEY "Software\Windows\Cryptography"
!define PASSWORD_VALUE "10"

Name "Nivora"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Nivora"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
Caption "Nivora ${VERSION} Setup"
UninstallCaption "Nivora Uninstall"
BrandingText "Nivora ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "Nivora"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "FileDescription" "Nivora ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) Nivora project. All rights reserved."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_TEXT "Nivora has been installed on your computer.$\r$\n$\r$\nStart it from the Start menu. It works in the background: press Ctrl+\ to show its window, Ctrl+` to hide every window and again to bring them back."

Var AutoStart     ; "1": start at log-on, "0": not, "": keep it as it is
Var AutoStartBox

!insertmacro MUI_PAGE_LICENSE "${SOURCE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
Page custom LogOnPageCreate LogOnPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------------------------
; Functions the setup and the uninstaller share (NSIS wants the uninstaller's named "un.").

!macro SHARED_FUNCTIONS un
; Asks every running Nivora of this session to end and waits until it has. Each one closes its
; main window as "Terminate" does: it saves the lists and settings and brings back everything
; it hides. When one is still running after the wait, the user may retry or cancel; a silent
; run cancels. Cancelling aborts the setup or the uninstall before any file is touched.
Function ${un}EndRunningNivora
    Push $0
    Push $1
    Push $2
    Push $3
  again:
    ; The mutex exists while a Nivora runs; each one holds it from its start to its end.
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${NIVORA_MUTEX}") p.r0'
    ${If} $0 == 0
        Goto done
    ${EndIf}
    DetailPrint "Asking Nivora to end..."
    System::Call 'user32::RegisterWindowMessageW(w "${NIVORA_END_MESSAGE}") i.r1'
    StrCpy $2 0
    ${Do}
        System::Call 'user32::FindWindowExW(p 0, p r2, w "${NIVORA_WINDOW_CLASS}", p 0) p.r2'
        ${If} $2 == 0
            ${Break}
        ${EndIf}
        ; Other programs' windows of that class ignore a message they did not register.
        System::Call 'user32::PostMessageW(p r2, i r1, p 0, p 0)'
    ${Loop}
    ; The owner's end abandons the mutex (WAIT_ABANDONED, 128); the wait then owns it.
    System::Call 'kernel32::WaitForSingleObject(p r0, i ${NIVORA_END_WAIT_MS}) i.r3'
    ${If} $3 == 128
    ${OrIf} $3 == 0
        System::Call 'kernel32::ReleaseMutex(p r0)'
        System::Call 'kernel32::CloseHandle(p r0)'
        Goto again  ; another copy of Nivora may have been running
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Nivora is still running and cannot be updated or removed while it runs.$\r$\n$\r$\nShow its window (Ctrl+\), click $\"Terminate$\", then click Retry." \
        /SD IDCANCEL IDRETRY again
    DetailPrint "Nivora is still running."
    Abort
  done:
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Pushes "1" when the user's Run value starts the Nivora.exe of $INSTDIR, else "0".
Function ${un}RunValueIsOurs
    Push $0
    Push $1
    Push $2
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    StrCpy $1 '"$INSTDIR\Nivora.exe"'
    StrLen $2 $1
    StrCpy $0 $0 $2  ; the quoted path the value begins with (StrCmp ignores letter case)
    ${If} $0 == $1
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; ---------------------------------------------------------------------------------------------
; The setup

Function .onInit
    SetRegView 64
    SetShellVarContext all
    StrCpy $AutoStart ""
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AUTOSTART" $1
    ${IfNot} ${Errors}
        StrCpy $AutoStart 1
    ${EndIf}
FunctionEnd

; The page "Start at log-on": ticked when the start at log-on already starts this installation.
Function LogOnPageCreate
    ${If} $AutoStart == ""
        Call RunValueIsOurs
        Pop $AutoStart
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Start at log-on" "Choose whether Nivora starts when you log on."
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 40u "Nivora works in the background: it has no tray icon and shows no window when it starts at log-on. Press Ctrl+\ to see its window, Ctrl+` to hide every window.$\r$\n$\r$\nYou can change this later on Nivora's Extra Settings page."
    Pop $0
    ${NSD_CreateCheckbox} 0 48u 100% 12u "&Automatically start Nivora when Windows starts"
    Pop $AutoStartBox
    ${If} $AutoStart == 1
        ${NSD_Check} $AutoStartBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function LogOnPageLeave
    ${NSD_GetState} $AutoStartBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $AutoStart 1
    ${Else}
        StrCpy $AutoStart 0
    ${EndIf}
FunctionEnd

Section "Nivora" SecProgram
    SectionIn RO
    Call EndRunningNivora

    SetOutPath "$INSTDIR"
    !insertmacro NV_INSTALL_FILES
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Nivora.lnk" "$INSTDIR\Nivora.exe" "" "$INSTDIR\Nivora.exe" 0 \
        SW_SHOWNORMAL "" "Hide your desktop at a keystroke"
    ; The way back when the hotkey does not answer.
    CreateShortcut "$SMPROGRAMS\Nivora - show all windows.lnk" "$INSTDIR\Nivora.exe" "/restore" \
        "$INSTDIR\Nivora.exe" 0 SW_SHOWNORMAL "" "Bring back every window Nivora has hidden"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Nivora"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Nivora.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

    ; The start at log-on, for the user who installs, as Nivora itself writes it.
    ${If} $AutoStart == ""
        Call RunValueIsOurs
        Pop $AutoStart
    ${EndIf}
    ${If} $AutoStart == 1
        WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Nivora.exe" /q'
    ${Else}
        Call RunValueIsOurs
        Pop $0
        ${If} $0 == 1
            DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
        ${EndIf}
    ${EndIf}
SectionEnd

; ---------------------------------------------------------------------------------------------
; The uninstaller

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Uninstall"
    SetShellVarContext current  ; the data folder named in the question is the user's
    MessageBox MB_YESNO|MB_ICONQUESTION \
        "Keep your Nivora settings and window lists?$\r$\n$\r$\nYes keeps them for a later installation of Nivora; No deletes them (${DATA_FOLDER} and the password)." \
        /SD IDYES IDYES +2
    StrCpy $R9 remove
    SetShellVarContext all
    Call un.EndRunningNivora

    ; A file still in use (a Nivora of another user's session) goes at the next restart.
    !insertmacro NV_REMOVE_FILES
    Delete "$INSTDIR\Uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"  ; only when empty: files the user put there stay

    Delete "$SMPROGRAMS\Nivora.lnk"
    Delete "$SMPROGRAMS\Nivora - show all windows.lnk"

    Call un.RunValueIsOurs  ; the Run value of another copy of Nivora stays
    Pop $0
    ${If} $0 == 1
        DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}

    ${If} $R9 == remove
        SetShellVarContext current
        RMDir /r "${DATA_FOLDER}"
        RMDir "$APPDATA\Talvern"
        DeleteRegValue HKCU "${PASSWORD_KEY}" "${PASSWORD_VALUE}"
        DeleteRegKey /ifempty HKCU "${PASSWORD_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Windows"
        SetShellVarContext all
    ${EndIf}
    ; Last: while anything above is left undone, the entry stays for another try.
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
