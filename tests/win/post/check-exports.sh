#!/usr/bin/env bash
# tavoinst.dll exports exactly its three entries under plain names and
# imports only system DLLs (the C and C++ runtimes are linked in).
set -euo pipefail
dll=$1
# x86-64 binutils read both PE32 and PE32+ (the x86-64 test build of the DLL).
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | grep -E '^\s+\[ *[0-9]+\]' | awk '{print $NF}' | sort | tr '\n' ' ')
expected="TAVOPostInst UninstInitialize UninstUnInitialize "
if [ "$exports" != "$expected" ]; then
  echo "exports: '$exports', expected '$expected'"; exit 1
fi
imports=$(grep 'DLL Name:' <<<"$dump" | awk '{print toupper($3)}' | sort | tr '\n' ' ')
for dll_name in $imports; do
  case "$dll_name" in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|MSVCRT.DLL|ODBC32.DLL) ;;
    *) echo "unexpected import $dll_name"; exit 1 ;;
  esac
done
echo "exports: $exports; imports: $imports"
