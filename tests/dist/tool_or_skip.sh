#!/bin/sh
# Runs TOOL ARGUMENT..., or exits 77 (skipped) when TOOL is not installed.
if ! command -v "$1" >/dev/null 2>&1; then
  echo "$1 is not installed (scripts/install-deps installs it): skipped"
  exit 77
fi
exec "$@"
