#!/bin/sh
# tessivar --version and --help answer, and succeed, with no display and no platform chosen.
program=$1
check() {
  output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$1" 2>&1)
  status=$?
  if [ $status -ne 0 ] || ! printf '%s\n' "$output" | grep -q "$2"; then
    echo "tessivar $1 (exit $status) did not answer \"$2\":"
    printf '%s\n' "$output"
    exit 1
  fi
}
check --version '^Tessivar! Broadcast 3\.7$'
check --help '^Usage: tessivar'
check -h '^Usage: tessivar'
