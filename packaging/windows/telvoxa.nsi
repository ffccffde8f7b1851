; The setup program of Telvoxa for Windows (makensis, Unicode). Made by
; scripts/package-windows, which passes:
;   BUILD_DIR   the Windows build (telvoxa.exe)
;   SOURCE_DIR  the source tree (res/skin, res/Readme.txt, LICENSE)
;   OUT_FILE    the setup program to write
;   ARCH        x86 (32-bit Windows, the default) or x64
; A silent install is "/S" (and "/D=FOLDER" for another folder); a silent
; uninstall "/S", plus "/REMOVEUSERDATA" to remove the profile and the call
; history as well, which are kept otherwise.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "x64.nsh"

!define PRODUCT "Telvoxa"
!define VERSION "1.06"
!define PUBLISHER "Orvel Applications"
; The program's per-user data, both kept unless the user asks otherwise.
!define PROFILE_KEY "Software\Orvel Applications\Telvoxa"
!define HISTORY_FOLDER "Telvoxa"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Telvoxa"
; The links the program opens, offered to Windows' choice of default apps.
!define CAPABILITIES_KEY "Software\Telvoxa\Capabilities"
; The running program holds this mutex (its single-instance rule).
!define INSTANCE_MUTEX "h_Telvoxa_PrevInstance"
!ifndef ARCH
  !define ARCH "x86"
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
!if ${ARCH} == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "1.6.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "See License.txt"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${SOURCE_DIR}\LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.txt"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

; The files the setup puts in the program folder; the uninstaller removes
; these and nothing else from it.
!macro ProgramFiles Action
  !insertmacro ${Action} "telvoxa.exe"
  !insertmacro ${Action} "Readme.txt"
  !insertmacro ${Action} "License.txt"
  !insertmacro ${Action} "default.ini"
  !insertmacro ${Action} "default.bmp"
  !insertmacro ${Action} "picture1.bmp"
  !insertmacro ${Action} "picture2.bmp"
!macroend
!macro RemoveProgramFile Name
  Delete "$INSTDIR\${Name}"
!macroend

; A link scheme for this user: the class that opens it in Telvoxa, and the
; scheme itself only when no other program has it already, so that another
; program's choice stays the user's (Windows' default apps offer Telvoxa
; through the capabilities either way).
!macro RegisterScheme Scheme
  WriteRegStr HKCU "Software\Classes\Telvoxa.${Scheme}" "" "URL:${Scheme}"
  WriteRegStr HKCU "Software\Classes\Telvoxa.${Scheme}" "URL Protocol" ""
  WriteRegStr HKCU "Software\Classes\Telvoxa.${Scheme}\DefaultIcon" "" "$INSTDIR\telvoxa.exe,0"
  WriteRegStr HKCU "Software\Classes\Telvoxa.${Scheme}\shell\open\command" "" '"$INSTDIR\telvoxa.exe" "%1"'
  WriteRegStr HKCU "${CAPABILITIES_KEY}\URLAssociations" "${Scheme}" "Telvoxa.${Scheme}"
  ReadRegStr $0 HKCR "${Scheme}\shell\open\command" ""
  ${If} $0 == ""
  ${OrIf} $0 == '"$INSTDIR\telvoxa.exe" "%1"'
    WriteRegStr HKCU "Software\Classes\${Scheme}" "" "URL:${Scheme}"
    WriteRegStr HKCU "Software\Classes\${Scheme}" "URL Protocol" ""
    WriteRegStr HKCU "Software\Classes\${Scheme}\DefaultIcon" "" "$INSTDIR\telvoxa.exe,0"
    WriteRegStr HKCU "Software\Classes\${Scheme}\shell\open\command" "" '"$INSTDIR\telvoxa.exe" "%1"'
  ${EndIf}
!macroend

; Removed only while it still opens this program.
!macro UnregisterScheme Scheme
  DeleteRegKey HKCU "Software\Classes\Telvoxa.${Scheme}"
  ReadRegStr $0 HKCU "Software\Classes\${Scheme}\shell\open\command" ""
  ${If} $0 == '"$INSTDIR\telvoxa.exe" "%1"'
    DeleteRegKey HKCU "Software\Classes\${Scheme}"
  ${EndIf}
!macroend

; A running Telvoxa keeps its program file open, and would write its profile
; after an uninstaller removed it: the user is asked to quit it first.
!macro RefuseWhileRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "Telvoxa is running. Quit it (終了 in its menu) and start this again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning
  !if ${ARCH} == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "This is the setup for 64-bit Windows; use telvoxa-${VERSION}-setup.exe." /SD IDOK
      Abort
    ${EndIf}
    SetRegView 64
  !endif
FunctionEnd

Section "Telvoxa" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}\telvoxa.exe"
  File "/oname=Readme.txt" "${SOURCE_DIR}\res\Readme.txt"
  File "/oname=License.txt" "${SOURCE_DIR}\LICENSE"
  File "${SOURCE_DIR}\res\skin\default.ini"
  File "${SOURCE_DIR}\res\skin\default.bmp"
  File "${SOURCE_DIR}\res\skin\picture1.bmp"
  File "${SOURCE_DIR}\res\skin\picture2.bmp"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The program reads "default.ini" and opens "Readme.txt" in its working folder.
  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\telvoxa.exe" "" "$INSTDIR\telvoxa.exe" 0
  SetShellVarContext current

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\telvoxa.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  !insertmacro RegisterScheme "tel"
  !insertmacro RegisterScheme "callto"
  WriteRegStr HKCU "${CAPABILITIES_KEY}" "ApplicationName" "${PRODUCT}"
  WriteRegStr HKCU "${CAPABILITIES_KEY}" "ApplicationDescription" "Calls on the phone on the serial cable"
  WriteRegStr HKCU "Software\RegisteredApplications" "${PRODUCT}" "${CAPABILITIES_KEY}"
SectionEnd


; Off unless chosen on the components page or with /REMOVEUSERDATA.
Section /o "un.My settings and call history" SecUserData
  SetShellVarContext current
  DeleteRegKey HKCU "${PROFILE_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Orvel Applications"
  ${If} "$LOCALAPPDATA" != ""
    RMDir /r "$LOCALAPPDATA\${HISTORY_FOLDER}"
  ${EndIf}
SectionEnd

Section "un.Telvoxa" SecUnProgram
  SectionIn RO
  !insertmacro ProgramFiles RemoveProgramFile
  Delete "$INSTDIR\uninstall.exe"
  ; Only an emptied folder goes: the user may have put files of their own there.
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  SetShellVarContext current

  !insertmacro UnregisterScheme "tel"
  !insertmacro UnregisterScheme "callto"
  DeleteRegValue HKCU "Software\RegisteredApplications" "${PRODUCT}"
  DeleteRegKey HKCU "Software\Telvoxa"
  ; The last step: the entry goes once everything else has gone.
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
  !if ${ARCH} == "x64"
    SetRegView 64
  !endif
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEUSERDATA" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUserData}
  ${EndIf}
FunctionEnd
