#!/usr/bin/env bash
# Says whether this machine can start 32-bit (i386) programs, by starting
# one: Wine's 32-bit loader, which every x86 test runner goes through. A
# kernel without 32-bit support refuses it ("Exec format error"), whatever
# the machine's architecture is called.
# Prints "yes" or "no: <why>" and exits 0 for yes, 1 for no.
# QUARVEX_X86_PROBE names another program to start instead (for its tests).
set -u
probe=${QUARVEX_X86_PROBE:-/usr/lib/wine/wine}
if [ ! -e "$probe" ]; then
  echo "no: $probe is not installed"
  exit 1
fi
# An emulator behind binfmt_misc may take its time; a minute is plenty for
# a loader that only prints its version.
# Started by bash, which names the kernel's refusal (a plain execvp would
# hand the file to /bin/sh instead).
output=$(timeout 60 bash -c 'exec "$0" --version' "$probe" 2>&1 </dev/null)
rc=$?
if [ $rc -eq 0 ]; then
  echo yes
  exit 0
fi
reason=$(printf '%s\n' "$output" | head -n 1)
[ $rc -eq 124 ] && reason="it did not answer within 60 s"
echo "no: $probe did not start (exit $rc${reason:+: $reason})"
exit 1
