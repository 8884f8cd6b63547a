; The Tessaro installer for 64-bit Windows, made by scripts/package-windows.sh with makensis:
;
;   makensis -INPUTCHARSET UTF8 -DCONFIG=build/windows/installer/config.nsh tessaro.nsi
;
; The script makes CONFIG (UTF-8), which defines VERSION, TITLE (the window's title), OUTFILE,
; ICON, FILES, UNFILES, SIZE_KB (the installed size), WINDOW when the window is shipped and
; GUIDE (the guide's file name) when the guide is. FILES and UNFILES are made from the
; distribution folder: `File` lines with their output
; folders, and `Delete` lines for each file followed by `RMDir` for each folder, deepest first.
; The uninstaller thus removes exactly the files that were installed, and a folder only when
; it is empty: the working folders and the packages that the program made beside itself stay.
;
; Without elevation it installs for the current user into %LOCALAPPDATA%\Programs\Tessaro
; (the program may write there and keeps its working folders beside itself). Run as
; administrator, it installs for all users into Program Files (read-only for the users, so
; the program keeps its working folders in %LOCALAPPDATA%\Tessaro). /CurrentUser and /AllUsers
; choose the mode explicitly, /S installs silently, /D=FOLDER (last) sets the folder.

!include "${CONFIG}"
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaro"
!define PUBLISHER "Tessaro"
!define MENU_FOLDER "$SMPROGRAMS\Tessaro"

Name "Tessaro ${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tessaro"
ShowInstDetails show
ShowUninstDetails show

Var AllUsers

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "TradChinese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_TRADCHINESE} "ProductName" "Tessaro"
VIAddVersionKey /LANG=${LANG_TRADCHINESE} "FileDescription" "Tessaro ${TITLE} 安裝程式"
VIAddVersionKey /LANG=${LANG_TRADCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_TRADCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_TRADCHINESE} "LegalCopyright" "Copyright (C) the Tessaro developers"

; The install mode: all users when the installer runs with administrator rights, else the
; current user; a folder given with /D= is kept, else the last installation's folder of that
; mode is taken again.
Function .onInit
  StrCpy $AllUsers 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $AllUsers 1
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/CurrentUser" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${IfNot} ${Errors}
  ${AndIf} $AllUsers == 0
    MessageBox MB_OK|MB_ICONSTOP "為所有使用者安裝需要系統管理員權限:請以系統管理員身分執行安裝程式。" /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}

  ${If} $INSTDIR == "$LOCALAPPDATA\Programs\Tessaro"
    ${If} $AllUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\Tessaro"
    ${EndIf}
    ${If} $AllUsers == 1
      ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${Else}
      ReadRegStr $3 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
    ${If} $3 != ""
      StrCpy $INSTDIR $3
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section
  ; An earlier installation in this folder is removed by its own uninstaller first (in place,
  ; waited for), so that no file of an older version stays behind unlisted.
  ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
    ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
  ${EndIf}

  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  !ifdef WINDOW
    CreateShortcut "${MENU_FOLDER}\${TITLE}.lnk" "$INSTDIR\tessaro.exe" "" "$INSTDIR\tessaro.exe" 0
  !endif
  !ifdef GUIDE
    CreateShortcut "${MENU_FOLDER}\使用說明.lnk" "$INSTDIR\${GUIDE}"
  !endif
  CreateShortcut "${MENU_FOLDER}\解除安裝 Tessaro.lnk" "$INSTDIR\Uninstall.exe"

  ; "Apps & features": SHCTX is HKLM for all users, HKCU for the current user.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Tessaro ${TITLE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  !ifdef WINDOW
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tessaro.exe,0"
  !else
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe,0"
  !endif
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller's mode is the one its installation was made in: all users when the
; all-users entry names its folder. Removing an all-users installation needs administrator
; rights; without them the uninstaller starts itself again with the elevation prompt.
Function un.onInit
  SetShellVarContext current
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
      StrCpy $2 ""
      ${If} ${Silent}
        StrCpy $2 "/S"
      ${EndIf}
      ExecShell "runas" '"$INSTDIR\Uninstall.exe"' $2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !include "${UNFILES}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  !ifdef WINDOW
    Delete "${MENU_FOLDER}\${TITLE}.lnk"
  !endif
  !ifdef GUIDE
    Delete "${MENU_FOLDER}\使用說明.lnk"
  !endif
  Delete "${MENU_FOLDER}\解除安裝 Tessaro.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
