#!/bin/sh
# Each manual page formats with man -l, without a warning, and has a NAME section.
command -v man >/dev/null 2>&1 || { echo "man is not installed: skipped"; exit 77; }
status=0
for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null)
  if [ -n "$warnings" ]; then
    echo "$page: $warnings"
    status=1
  fi
  if ! printf '%s\n' "$text" | grep -q '^NAME'; then
    echo "$page: no NAME section in what man shows"
    status=1
  fi
done
exit $status
