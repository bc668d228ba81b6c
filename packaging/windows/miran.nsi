; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer, miran-setup-<version>.exe. It installs the folder of
; the Windows build for the current user (the default, no administrator
; needed) or for all users, with a Start-menu shortcut, an uninstaller and an
; entry in the installed programs. scripts/windows-installer.sh builds it:
;   makensis -DVERSION=x.y.z -DDIST=<build folder> -DOUTFILE=<setup exe>
;            -DICON=<resources/miran.ico> -DLICENSE=<COPYING>
;            -DUNINSTALL_LIST=<Delete and RMDir lines for that folder> miran.nsi
; Silent use: setup.exe /S [/CurrentUser | /AllUsers] [/D=<folder>], and the
; uninstaller takes /S and the same switch.

!macro REQUIRE NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined; run makensis with -D${NAME}=..."
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE DIST
!insertmacro REQUIRE OUTFILE
!insertmacro REQUIRE ICON
!insertmacro REQUIRE LICENSE
!insertmacro REQUIRE UNINSTALL_LIST

; A 64-bit, Unicode installer for the 64-bit program; it also runs where
; Wine has no 32-bit support.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define APPNAME "MIRAN Modem Utility"
!define PUBLISHER "MIRAN"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"

Name "${APPNAME}"
OutFile "${OUTFILE}"
BrandingText "${APPNAME} ${VERSION}"

; Per user into %LOCALAPPDATA%\Programs unless the user chooses all users
; (Program Files); /CurrentUser and /AllUsers pick it on the command line.
; An earlier installation's mode and folder are taken again for an upgrade.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APPNAME}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include x64.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
; The GPL asks for no acceptance to use the program: the page only shows it.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "The program is free software under this licence. You need not accept it to install or use the program."
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\miran.exe"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${APPNAME} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "MIRAN Modem Utility developers, GNU GPL 3 or later"

Function .onInit
  ; The installer is itself 64-bit; this keeps a readable message should
  ; it ever be built for x86.
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${APPNAME} needs 64-bit Windows."
    Abort
  ${EndIf}
  SetRegView 64
  ; The mode sets its own folder; one given with /D= is kept instead.
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "-Install"
  SetOutPath "$INSTDIR"
  File /r /x Address.txt "${DIST}/*.*"
  ; On an upgrade the address book the user edited beside the program stays.
  SetOverwrite off
  File "${DIST}/Address.txt"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\miran.exe"

  ; SHCTX is HKCU or HKLM, after the install mode.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APPNAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\miran.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
    '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put there, file by file, and the folder only
; if it is then empty: the user may have installed into a folder that holds
; other things. The user's own data in %APPDATA% (settings, an Address.txt
; kept there when the program folder is not writable) is left alone, as
; users expect of an uninstaller.
Section "Uninstall"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APPNAME}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
