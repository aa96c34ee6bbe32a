; Setup for the Skylume settings program: the program, its language libraries, the module authors' checker, the
; help file, the program-folder data and the all-users default data, "ApplicationPath" for the display program it
; accompanies, then INIT_DATA.
; The uninstaller ends running copies (HALT), undoes INIT_DATA (REMOVESETTING) and removes what Setup put in place;
; every user's own data stays.
;
; scripts/build-installer defines:
;   ARCH     i686 or x86_64 (the architecture of the built program)
;   STAGE    folder holding install.nsh and uninstall.nsh, the generated lists of files and folders
;   OUTFILE  the installer to write
;   VERSION  the product version as four numbers, VERSION_TEXT as version.txt gives it
;   HELP_EN, HELP_JPN  the English and Japanese help files
; The installer itself is of the program's architecture too, so a 64-bit-only Wine can run the 64-bit one.
!if ${ARCH} == "x86_64"
Target amd64-unicode
!else
Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "LogicLib.nsh"

!define PRODUCT "Skylume"
!define PUBLISHER "Quillon"
!define PRODUCT_KEY "SOFTWARE\Quillon\Tessel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\SkylumeSettings"
!define PROGRAM "SkylumeSetting.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if ${ARCH} == "x86_64"
InstallDir "$PROGRAMFILES64\Quillon\Skylume"
!else
InstallDir "$PROGRAMFILES\Quillon\Skylume"
!endif
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey "LegalCopyright" "Copyright (C) Quillon Corporation"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The 32-bit program reads HKLM through the 32-bit registry view, which is also the installer's own; a 64-bit
; build reads the 64-bit view. All-users data goes to the common application-data folder.
!macro UseProgramViews
!if ${ARCH} == "x86_64"
    SetRegView 64
!endif
    SetShellVarContext all
!macroend

Function .onInit
    !insertmacro UseProgramViews
FunctionEnd

Function un.onInit
    !insertmacro UseProgramViews
FunctionEnd

Section "Skylume settings" SecProgram
    SectionIn RO
    !include "${STAGE}\install.nsh"
    ; The help file in the language of the user's Windows: Japanese there, English everywhere else.
    System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
    IntOp $0 $0 & 0x3FF
    SetOutPath "$INSTDIR"
    ${If} $0 = 0x11
        File "/oname=Skylume.chm" "${HELP_JPN}"
    ${Else}
        File "/oname=Skylume.chm" "${HELP_EN}"
    ${EndIf}
    CreateDirectory "$APPDATA\Quillon\Skylume\Modules"
    CreateDirectory "$APPDATA\Quillon\Skylume\Demo"
    CreateDirectory "$APPDATA\Quillon\Skylume\Background"

    WriteRegStr HKLM "${PRODUCT_KEY}" "ApplicationPath" "$INSTDIR\Skylume.exe"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; The all-users default background list and the browser menu entry, now that the files are in place.
    ExecWait '"$INSTDIR\${PROGRAM}" INIT_DATA'
SectionEnd

Section "Uninstall"
    ExecWait '"$INSTDIR\${PROGRAM}" HALT'
    ExecWait '"$INSTDIR\${PROGRAM}" REMOVESETTING'
    !include "${STAGE}\uninstall.nsh"
    Delete "$INSTDIR\Skylume.chm"
    RMDir "$APPDATA\Quillon\Skylume\Modules"
    RMDir "$APPDATA\Quillon\Skylume\Demo"
    RMDir "$APPDATA\Quillon\Skylume\Background"
    RMDir "$APPDATA\Quillon\Skylume"
    RMDir "$APPDATA\Quillon"

    DeleteRegValue HKLM "${PRODUCT_KEY}" "ApplicationPath"
    DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Quillon"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    RMDir "$INSTDIR\.."
SectionEnd
