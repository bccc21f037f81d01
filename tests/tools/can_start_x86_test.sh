#!/usr/bin/env bash
# tools/can-start-x86.sh answers from what happens when the loader is
# started: "no" whenever it cannot be started or does not run, "yes" only
# when it runs. Each case stands in for the loader with a file of its own.
set -u
probe_script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

expect() {   # NAME yes|no PATTERN PROBE
  local name=$1 want=$2 pattern=$3 probe=$4 said rc
  said=$(QUARVEX_X86_PROBE=$probe bash "$probe_script")
  rc=$?
  if [[ "$said" != "$want"* || "$said" != *"$pattern"* ]] || { [ "$want" = yes ] && [ $rc -ne 0 ]; } ||
     { [ "$want" = no ] && [ $rc -ne 1 ]; }; then
    echo "FAIL $name: said '$said' (exit $rc), expected '$want' with '$pattern'"
    failed=1
  else
    echo "ok   $name: $said"
  fi
}

# What a kernel without 32-bit support does with an i386 program: refuse
# its format. A cut ELF header is refused by every kernel.
printf '\177ELF\001\001\001\000' > "$work/refused"
chmod +x "$work/refused"
expect "a loader the kernel refuses" no "Exec format error" "$work/refused"

printf '#!/bin/sh\nexit 3\n' > "$work/fails"
chmod +x "$work/fails"
expect "a loader that starts and fails" no "exit 3" "$work/fails"

expect "no loader installed" no "not installed" "$work/missing"

printf '#!/bin/sh\necho "wine-8.0"\n' > "$work/runs"
chmod +x "$work/runs"
expect "a loader that runs" yes "" "$work/runs"

exit $failed
