#!/usr/bin/env bash
# Checks the shape of setup.exe: a 32-bit Intel GUI program that exports
# NoHooking and carries its manifest, icon and version resource, and that
# imports known DLLs only.
set -u
exe=$1
status=0
headers=$(i686-w64-mingw32-objdump -p "$exe")
expect() { # description, pattern
  if grep -qE "$2" <<<"$headers"; then echo "ok   $1"; else echo "FAIL $1"; status=1; fi
}
expect "PE32 for Intel 80386" 'file format pei-i386'
expect "GUI subsystem" 'Subsystem[[:space:]]+00000002'
expect "exports NoHooking" '^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+NoHooking$'
expect "manifest resource (type 24, id 1)" 'Entry: ID: 0x000018'
manifest=$(strings -n 8 "$exe")
for text in 'requireAdministrator' 'Microsoft.Windows.Common-Controls' 'version="6.0.0.0"' \
            '<description>Vexorin VCL Component installer</description>' 'true/pm' 'PerMonitorV2'; do
  if grep -qF "$text" <<<"$manifest"; then echo "ok   manifest has $text"; else echo "FAIL manifest lacks $text"; status=1; fi
done
expect "icon resource" 'Entry: ID: 0x00000e|Entry: name: .*MAINICON'
versions=$(strings -el "$exe")
for text in 'CompanyName' 'Orlenta Software' 'ProductName' 'Vexorin VCL Edition' 'FileVersion' 'ProductVersion' \
            'FileDescription'; do
  if grep -qF "$text" <<<"$versions"; then echo "ok   version resource has $text"; else echo "FAIL version resource lacks $text"; status=1; fi
done

# The DLLs setup.exe imports are loaded before any of its code runs, searched
# first in its own folder (often Downloads) unless the system maps them as
# known DLLs from its own copies. So every import must be a known DLL of
# Windows 10 and 11 (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\
# KnownDLLs; ntdll.dll is mapped into every process). Any other DLL (version,
# comctl32, riched20, uxtheme, dwmapi, ...) is loaded later from the system
# folder. Delay-load imports are refused as well: they are loaded by name on
# first use, outside the program's own code.
known_dlls="advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt
            normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32
            ws2_32"
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | tr -d '\r')
if [ -z "$imports" ]; then echo "FAIL no import table read"; status=1; fi
for dll in $imports; do
  if grep -qw -- "${dll%.dll}" <<<"$known_dlls"; then echo "ok   imports the known DLL $dll"; else
    echo "FAIL imports $dll, which is not a known DLL: load it from the system folder when needed"; status=1; fi
done
expect "no delay-load imports" 'Entry d 00000000 00000000 Delay Import Directory'
exit $status
