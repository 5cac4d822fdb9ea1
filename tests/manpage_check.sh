#!/bin/sh
# The manual page must format without a single groff warning and render
# with man. Usage: manpage_check.sh PAGE. Exit 77 (skipped) without groff.
command -v groff >/dev/null 2>&1 || { echo "groff is not installed: skipped"; exit 77; }
set -e
warnings=$(groff -man -Tutf8 -ww -z "$1" 2>&1)
if [ -n "$warnings" ]; then
  echo "$warnings"
  exit 1
fi
if command -v man >/dev/null 2>&1; then
  MANWIDTH=80 man -l "$1" >/dev/null
fi
echo "manual page formats cleanly"
