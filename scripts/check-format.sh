#!/usr/bin/env bash
# Fails when a tracked C or C++ source differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "check-format: $(git ls-files '*.c' '*.cpp' '*.h' | wc -l) files formatted"
