#!/usr/bin/env bash
# Fails when the program imports a DLL that does not come with Windows (a compiler runtime,
# zlib, ...).  check_imports.sh OBJDUMP PROGRAM.exe
set -euo pipefail
objdump=$1 program=$2
system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll msvcrt.dll advapi32.dll shell32.dll
 ole32.dll oleaut32.dll version.dll uxtheme.dll shlwapi.dll ucrtbase.dll ntdll.dll "
imports=$("$objdump" -p "$program" | awk '/DLL Name:/ {print tolower($3)}')
[ -n "$imports" ] || { echo "no imports found in $program" >&2; exit 1; }
status=0
for dll in $imports; do
    case $dll in
        api-ms-win-*) echo "ok   $dll" ;;
        *) if [[ $system_dlls == *" $dll "* ]]; then echo "ok   $dll"; else echo "FAIL $dll is not part of Windows"; status=1; fi ;;
    esac
done
exit $status
