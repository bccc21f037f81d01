#!/usr/bin/env bash
# Builds quarvex.exe and opens the bundled sample map in it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
echo "run: quarvex.exe is not built yet; 'make test' builds and tests the portable core." >&2
exit 1
