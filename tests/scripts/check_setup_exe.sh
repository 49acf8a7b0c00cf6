#!/usr/bin/env bash
# Checks the shape of setup.exe: a 32-bit Intel GUI program that exports
# NoHooking and carries its manifest, icon and version resource.
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
exit $status
