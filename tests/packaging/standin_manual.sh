#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual page of a tool (zp-standin, zp-webpad) describes every option that its --help
# lists, and no option that the program does not have.
# Usage: standin_manual.sh PROGRAM MANUAL_PAGE
set -u
standin=$1 page=$2
name=$(basename "$standin")

help=$("$standin" --help) || { echo "FAIL: $name --help failed"; exit 1; }
in_help=$(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
# The options are the bold tags of the OPTIONS section; roff writes a hyphen as \-.
in_page=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" | grep -E '^\.B[IR]? ' | sed 's/\\-/-/g' |
    grep -oE -- '--[a-z][a-z-]*' | sort -u)

if [ -z "$in_help" ] || [ "$in_help" != "$in_page" ]; then
    echo "FAIL: the options of $name --help and of its manual page differ"
    echo "(< only in --help, > only in the manual page)"
    diff <(echo "$in_help") <(echo "$in_page")
    exit 1
fi
echo "PASS: $(wc -l <<<"$in_help") options, each in the manual page"
