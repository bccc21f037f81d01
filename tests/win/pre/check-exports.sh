#!/usr/bin/env bash
# tavopre.dll exports TAVOPreInst under its plain name (no _ prefix, no @12)
# and imports nothing but DLLs that come with Windows.
set -euo pipefail
dll=$1
# x86-64 binutils read both PE32 and PE32+ (the x86-64 test build of the DLL).
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
fail=0

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[[:space:]]*\[/{print $NF; next} on{on=0}' <<<"$dump")
if [ "$exports" != "TAVOPreInst" ]; then
  echo "exports are [$exports], expected exactly TAVOPreInst"
  fail=1
fi

system_dlls=" kernel32.dll user32.dll advapi32.dll msvcrt.dll "
while read -r name; do
  lower=${name,,}
  case "$system_dlls" in
    *" $lower "*) ;;
    *) echo "imports $name, which is not a system DLL"; fail=1 ;;
  esac
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")

[ $fail -eq 0 ] && echo "exports: $exports; imports: $(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr '\n' ' ')"
exit $fail
