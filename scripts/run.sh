#!/usr/bin/env bash
# Builds devhttpd (no sanitizers) and runs it in the foreground from the
# repository root, so ./web is its document root. Arguments are passed on
# (for example: http_port 9000). Stop it with Ctrl-C or SIGTERM.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQ_SANITIZE=OFF
cmake --build build --target devhttpd -j"$(nproc)"
exec build/bin/devhttpd "$@"
