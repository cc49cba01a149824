#!/usr/bin/env bash
# Lints docs/otawrap.1 (mandoc -Tlint, or groff when mandoc is missing) and
# checks it against the built tool: every command `otawrap --help` lists has a
# subsection, and every option on `otawrap --help` and on each
# `otawrap help COMMAND` page appears in it.
#
#   tools/check-man-page.sh [OTAWRAP]   (default build/release/otawrap)
set -euo pipefail
cd "$(dirname "$0")/.."
page=docs/otawrap.1
binary=${1:-build/release/otawrap}

if command -v mandoc >/dev/null; then
  mandoc -Tlint -Wwarning "$page"
else
  groff -ww -man -z "$page"
fi

# The page's text with roff's "\-" as "-" and font changes removed.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
# The commands the overview lists ("  NAME ..." lines under "Commands:").
overview=$("$binary" --help | tr -d '\r')
mapfile -t commands < <(sed -n '/^Commands:/,/^$/p' <<<"$overview" | sed -nE 's/^  ([a-z]+) .*/\1/p')
[ ${#commands[@]} -gt 0 ] || { echo "no commands found in '$binary --help'"; exit 1; }
pages="$overview"
for command in "${commands[@]}"; do
  page_text=$("$binary" help "$command" | tr -d '\r') || { echo "'$binary help $command' failed"; exit 1; }
  pages+=$'\n'"$page_text"
done

missing=()
# Every command has a subsection of its own (".SS convert", ".SS help, version").
for command in "${commands[@]}"; do
  grep -qE "^\.SS (.*[ ,])?${command}(,.*)?$" "$page" || missing+=("subsection for $command")
done
# Options on those pages: tokens starting with '-' (after a blank, '(', '[', '|'
# or ','); a short option is its first letter ("-o<path>" is -o), a long one
# runs to the first character that is not a letter, digit or '-'.
mapfile -t options < <(grep -oE '(^|[][ (|,])--?[A-Za-z][A-Za-z0-9-]*' <<<"$pages" |
  sed -E 's/^[][ (|,]//; s/^(-[A-Za-z]).*/\1/; s/^(--[A-Za-z0-9-]*[A-Za-z0-9]).*/\1/' | sort -u)
[ ${#options[@]} -gt 0 ] || { echo "no options found in the help pages"; exit 1; }
for option in "${options[@]}"; do
  # A short option may carry its value attached (-oout); a long one stands alone.
  after='([^A-Za-z0-9-]|$)'
  if [ ${#option} -eq 2 ]; then after='([^-]|$)'; fi
  grep -qE -- "(^|[^A-Za-z0-9-])${option}${after}" <<<"$text" || missing+=("$option")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "$page does not mention: ${missing[*]}"
  exit 1
fi
echo "man page: lint clean, ${#commands[@]} commands and all ${#options[@]} options of their help pages documented"
