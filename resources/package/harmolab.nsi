; Harmolab installer: a per-user install into %LOCALAPPDATA%\Programs\Harmolab (no administrator
; rights; the settings file is written beside the program, so the folder must be the user's own), a
; Start-menu shortcut that starts in the install folder, and an uninstaller listed in Apps & Features.
; Pages are in Japanese or English, whichever the system's language is.
;
; makensis -DVERSION=x.y.z -DSTAGE=<folder with the files> -DICON=<harmolab.ico> -DOUTFILE=<setup.exe> harmolab.nsi

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define APP_NAME "Harmolab"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Harmolab"
!define SHORTCUT "$SMPROGRAMS\Harmolab.lnk"

Name "${APP_NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Harmolab"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Harmolab"
VIAddVersionKey /LANG=0 "FileDescription" "Harmolab Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "© 2026 The Harmolab developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Harmolab.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_UNCOMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English first: it is the language of every system that isn't Japanese.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString ProgramSection ${LANG_ENGLISH} "Harmolab"
LangString ProgramSection ${LANG_JAPANESE} "Harmolab"
LangString SettingsSection ${LANG_ENGLISH} "Also delete my settings (Harmolab.ini)"
LangString SettingsSection ${LANG_JAPANESE} "設定ファイル (Harmolab.ini) も削除する"

Section "Harmolab" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${STAGE}/Harmolab.exe"
    File "${STAGE}/Melodex.dll"
    File "${STAGE}/click_accent.wav"
    File "${STAGE}/click.wav"
    File "${STAGE}/README.txt"
    File /r "${STAGE}/Tunerimg"
    File /r "${STAGE}/TunerHELP"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The working folder of a shortcut is the output path at the time it is made.
    SetOutPath "$INSTDIR"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\Harmolab.exe" "" "$INSTDIR\Harmolab.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Harmolab"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Harmolab developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Harmolab.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "un.$(ProgramSection)" UnSecProgram
    SectionIn RO
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\Harmolab.exe"
    Delete "$INSTDIR\Melodex.dll"
    Delete "$INSTDIR\click_accent.wav"
    Delete "$INSTDIR\click.wav"
    Delete "$INSTDIR\README.txt"
    RMDir /r "$INSTDIR\Tunerimg"
    RMDir /r "$INSTDIR\TunerHELP"
    Delete "$INSTDIR\uninstall.exe"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Off unless chosen on the page, or given as /REMOVESETTINGS on a silent uninstall.
Section /o "un.$(SettingsSection)" UnSecSettings
    Delete "$INSTDIR\Harmolab.ini"
SectionEnd

Section "-un.Folder"
    ; Only when empty: a kept Harmolab.ini keeps its folder.
    RMDir "$INSTDIR"
SectionEnd

Function un.onInit
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${UnSecSettings}
    ${EndIf}
FunctionEnd
