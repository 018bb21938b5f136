; Nivora's setup program and its uninstaller (NSIS 3, 64-bit Unicode).
;
; The setup installs Nivora for every user of the computer into "C:\Program Files\Nivora", or
; only for the user who runs it into that user's own programs folder
; ("%LOCALAPPDATA%\Programs\Nivora"), with a Start-menu shortcut "Nivora" and the entry that
; Windows lists under installed programs; if asked, it sets the start at log-on (the same per-user
; Run value "NVA" that Nivora's own "Automatically start when Windows starts" writes). The
; uninstaller takes away what the setup put in place and asks whether the user's settings and
; window lists go too. Both first ask a running Nivora to end and wait for it, so that whatever it
; hides comes back before its files are touched.
;
; Whose is what: the setup and the uninstaller run as the user who starts them, and only that
; process writes or removes what is that user's (the Run value, the data folder, the password
; value). Installing for every user needs administrator rights for the machine's part alone
; (Program Files, the all-users shortcut, the machine's entry): that part runs in a second copy of
; this program started with those rights (/MACHINEPART), which writes nothing of any user's. So a
; standard user who types an administrator's password gets the start at log-on in his own account,
; and the administrator's account is left alone.
;
; Silent use: "setup.exe /S" installs for every user with the defaults (the start at log-on kept
; as it is, or switched on with /AUTOSTART); "/CURRENTUSER" installs for the current user only.
; "Uninstall.exe /S" uninstalls and keeps the settings.
;
; Built by scripts/dist.sh, which defines VERSION (from res/version.h), SOURCE (the source
; tree), STAGE (a folder holding files.nsh and the staged program files), ICON and OUTFILE.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
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

Var AllUsers      ; "1": for every user (Program Files), "0": only for the user who runs it
Var MachinePart   ; "1": this copy runs with administrator rights and does the machine's part
Var AutoStart     ; "1": start at log-on, "0": not, "": keep it as it is
Var AutoStartBox
Var ForAllBox
Var Report        ; what the uninstaller took away and what it left, for its last page

!insertmacro MUI_PAGE_LICENSE "${SOURCE}/LICENSE.txt"
Page custom UsersPageCreate UsersPageLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom LogOnPageCreate LogOnPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Nivora has been installed on your computer.$\r$\n$\r$\nStart it from the Start menu. It works in the background: press Ctrl+\ to show its window, Ctrl+` to hide every window and again to bring them back."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Nivora has been removed"
!define MUI_FINISHPAGE_TEXT "$Report"
!insertmacro MUI_UNPAGE_FINISH

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

; Pushes "1" when this program runs as the user logged on to this session, "0" when it runs as
; another account (started with "Run as administrator" and another user's password): the
; current user's registry and folders are then that account's, and nothing is written there.
Function ${un}IsSessionUser
    Push $0
    Push $1
    Push $2
    System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .r0, *i .r1) i.r2'
    ${If} $2 == 0
        StrCpy $0 1  ; no answer (the service is not there): there is no other user to be
    ${Else}
        System::Call 'kernel32::lstrcpynW(w .r1, p r0, i ${NSIS_MAX_STRLEN})'
        System::Call 'wtsapi32::WTSFreeMemory(p r0)'
        System::Call 'advapi32::GetUserNameW(w .r2, *i ${NSIS_MAX_STRLEN})'
        ${If} $1 == $2
            StrCpy $0 1
        ${Else}
            StrCpy $0 0
        ${EndIf}
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; Runs this program again with administrator rights ("runas": Windows asks for them) with the
; parameters in $0, and waits for it. $0 is then its exit code, or "refused" when it did not
; start (the rights not given).
Function ${un}RunElevated
    Push $1
    Push $2
    Push $3
    ; SHELLEXECUTEINFOW, 112 bytes: cbSize, fMask (SEE_MASK_NOCLOSEPROCESS), hwnd, lpVerb,
    ; lpFile, lpParameters, ..., hProcess at the end.
    System::Call '*(&i112) p.r1'
    System::Call '*$1(i 112, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w r0, p 0, i 0)'
    System::Call 'shell32::ShellExecuteExW(p r1) i.r2'
    ${If} $2 == 0
        StrCpy $0 refused
    ${Else}
        System::Call '*$1(i, i, p, p, p, p, p, p, p, p, p, p, p, p, p .r3)'
        System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
        System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r0)'
        System::Call 'kernel32::CloseHandle(p r3)'
    ${EndIf}
    System::Free $1
    Pop $3
    Pop $2
    Pop $1
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; ---------------------------------------------------------------------------------------------
; The setup

; Where each kind of installation goes by default: where it already is, else Program Files or
; the user's own programs folder.
Function DefaultFolder
    ${If} $AllUsers == 1
        ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $INSTDIR == ""
            StrCpy $INSTDIR "$PROGRAMFILES64\Nivora"
        ${EndIf}
    ${Else}
        ReadRegStr $INSTDIR HKCU "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $INSTDIR == ""
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Nivora"
        ${EndIf}
    ${EndIf}
FunctionEnd

Function .onInit
    SetRegView 64
    ${GetParameters} $0
    StrCpy $AutoStart ""
    ClearErrors
    ${GetOptions} $0 "/AUTOSTART" $1
    ${IfNot} ${Errors}
        StrCpy $AutoStart 1
    ${EndIf}
    ; For every user, unless asked otherwise or only this user's installation is there.
    StrCpy $AllUsers 1
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 == ""
    ${AndIf} $2 != ""
        StrCpy $AllUsers 0
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/CURRENTUSER" $1
    ${IfNot} ${Errors}
        StrCpy $AllUsers 0
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/MACHINEPART" $1
    ${IfNot} ${Errors}
        StrCpy $MachinePart 1
        StrCpy $AllUsers 1
        SetSilent silent
    ${EndIf}
    ; A folder given with /D= stays.
    ${If} $INSTDIR == ""
        Call DefaultFolder
    ${EndIf}
FunctionEnd

; The page "Choose users": for everyone (administrator rights) or only for me (none).
Function UsersPageCreate
    !insertmacro MUI_HEADER_TEXT "Choose users" "Choose for whom Nivora is installed."
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateRadioButton} 0 0 100% 12u "&Anyone who uses this computer (administrator rights are asked for)"
    Pop $ForAllBox
    ${NSD_CreateRadioButton} 0 18u 100% 12u "&Only for me (no administrator rights needed)"
    Pop $0
    ${If} $AllUsers == 1
        ${NSD_Check} $ForAllBox
    ${Else}
        ${NSD_Check} $0
    ${EndIf}
    ${NSD_CreateLabel} 0 40u 100% 30u "Either way, the start at log-on and the settings are your own: each user who uses Nivora has his own."
    Pop $0
    nsDialogs::Show
FunctionEnd

Function UsersPageLeave
    ${NSD_GetState} $ForAllBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    ${If} $0 != $AllUsers
        StrCpy $AllUsers $0
        Call DefaultFolder
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

; The program files, the uninstaller, the shortcut and the entry of the installed programs: for
; every user (this copy then has administrator rights) or for the current user.
Function InstallProgram
    ${If} $AllUsers == 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
    SetOutPath "$INSTDIR"
    !insertmacro NV_INSTALL_FILES
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Nivora.lnk" "$INSTDIR\Nivora.exe" "" "$INSTDIR\Nivora.exe" 0 \
        SW_SHOWNORMAL "" "Hide your desktop at a keystroke"
    ; The way back when the hotkey does not answer.
    CreateShortcut "$SMPROGRAMS\Nivora - show all windows.lnk" "$INSTDIR\Nivora.exe" "/restore" \
        "$INSTDIR\Nivora.exe" 0 SW_SHOWNORMAL "" "Bring back every window Nivora has hidden"

    ; SHCTX: HKLM for every user, HKCU for the current user.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Nivora"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Nivora.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
FunctionEnd

Section "Nivora" SecProgram
    SectionIn RO
    ${If} $MachinePart == 1
        Call InstallProgram
        Return
    ${EndIf}
    Call EndRunningNivora

    ${If} $AllUsers == 1
        DetailPrint "Installing for every user, with administrator rights..."
        StrCpy $0 "/S /MACHINEPART /D=$INSTDIR"
        Call RunElevated
        ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
        ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 != 0
        ${OrIf} $1 != "${VERSION}"
        ${OrIf} $2 != $INSTDIR
            MessageBox MB_OK|MB_ICONSTOP \
                "Nivora could not be installed for every user: the administrator rights were not given, or the installation failed.$\r$\n$\r$\nRun the setup again and choose $\"Only for me$\" to install it without them." \
                /SD IDOK
            Abort "Nivora was not installed."
        ${EndIf}
    ${Else}
        Call InstallProgram
    ${EndIf}

    ; The start at log-on, for the user who installs, as Nivora itself writes it.
    Call IsSessionUser
    Pop $0
    ${If} $0 != 1
        DetailPrint "The start at log-on is left alone: this setup runs as another user than the one logged on. Tick it on Nivora's Extra Settings page."
        Return
    ${EndIf}
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
    ; This installation is the one for every user when the machine's entry names its folder.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        StrCpy $AllUsers 1
    ${Else}
        StrCpy $AllUsers 0
    ${EndIf}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/MACHINEPART" $1
    ${IfNot} ${Errors}
        StrCpy $MachinePart 1
        StrCpy $AllUsers 1
        SetSilent silent
    ${EndIf}
FunctionEnd

; The program files, the shortcut and, last, the entry: while anything before it is left undone,
; the entry stays for another try.
Function un.RemoveProgram
    ${If} $AllUsers == 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
    ; A file still in use (a Nivora of another user's session) goes at the next restart.
    !insertmacro NV_REMOVE_FILES
    Delete "$INSTDIR\Uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"  ; only when empty: files the user put there stay
    Delete "$SMPROGRAMS\Nivora.lnk"
    Delete "$SMPROGRAMS\Nivora - show all windows.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
FunctionEnd

Section "Uninstall"
    ${If} $MachinePart == 1
        Call un.RemoveProgram
        Return
    ${EndIf}

    ; What is this user's is asked about and removed by this user's own process only.
    Call un.IsSessionUser
    Pop $R8
    StrCpy $R9 keep
    ${If} $R8 == 1
        SetShellVarContext current  ; the data folder named in the question is the user's
        MessageBox MB_YESNO|MB_ICONQUESTION \
            "Keep your Nivora settings and window lists?$\r$\n$\r$\nYes keeps them for a later installation of Nivora; No deletes them (${DATA_FOLDER} and the password)." \
            /SD IDYES IDYES +2
        StrCpy $R9 remove
    ${EndIf}
    Call un.EndRunningNivora

    ; The user's own things first: the program's entry goes last, so that an uninstall that
    ; stopped half-way is still listed and can be run again.
    StrCpy $Report ""
    ${If} $R8 == 1
        SetShellVarContext current
        Call un.RunValueIsOurs  ; the Run value of another copy of Nivora stays
        Pop $0
        ${If} $0 == 1
            DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
            StrCpy $Report " So has your start at log-on."
        ${EndIf}
        ${If} $R9 == remove
            RMDir /r "${DATA_FOLDER}"
            RMDir "$APPDATA\Talvern"
            DeleteRegValue HKCU "${PASSWORD_KEY}" "${PASSWORD_VALUE}"
            DeleteRegKey /ifempty HKCU "${PASSWORD_KEY}"
            DeleteRegKey /ifempty HKCU "Software\Windows"
            StrCpy $Report "$Report$\r$\n$\r$\nYour settings, window lists and password have been deleted."
        ${Else}
            StrCpy $Report "$Report$\r$\n$\r$\nLeft in place: your settings and window lists (${DATA_FOLDER}) and your password, for a later installation."
        ${EndIf}
    ${Else}
        StrCpy $Report "$Report$\r$\n$\r$\nLeft in place: the settings, window lists, password and start at log-on of the user logged on, since this uninstaller runs as another user."
    ${EndIf}

    ${If} $AllUsers == 1
        DetailPrint "Removing Nivora for every user, with administrator rights..."
        StrCpy $0 "/S /MACHINEPART _?=$INSTDIR"
        Call un.RunElevated
        ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 != 0
        ${OrIf} $1 != ""
            MessageBox MB_OK|MB_ICONSTOP \
                "Nivora's program could not be removed: the administrator rights were not given, or the removal failed. Run the uninstaller again to finish." \
                /SD IDOK
            Abort "Nivora was not removed."
        ${EndIf}
        StrCpy $Report "$Report$\r$\n$\r$\nLeft in place as well: each other user's own settings and start at log-on, which starts nothing any more; each user removes them from his own account."
    ${Else}
        Call un.RemoveProgram
    ${EndIf}

    ${If} ${RebootFlag}
        StrCpy $Report " A file still in use goes when Windows next starts.$Report"
    ${EndIf}
    StrCpy $Report "Nivora's program files, its Start-menu shortcut and its entry among the installed programs have been removed.$Report"
    DetailPrint "$Report"
SectionEnd
