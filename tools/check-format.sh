#!/usr/bin/env bash
# Fails when a C++ source of ours differs from the one style of .clang-format.
# Usage: check-format.sh [SOURCE_ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
find core winbase winfw app installer tests bench \( -name '*.cpp' -o -name '*.h' \) -not -path 'tests/data/*' -print0 |
  xargs -0 clang-format --style=file --dry-run --Werror
