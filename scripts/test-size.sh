#!/usr/bin/env bash
# Counts the C++ lines that carry code (not blank, not only a comment) in src/ and tests/ and
# prints their ratio; fuzz/ is shown on its own and left out of the ratio. Given folders
# (scripts/test-size.sh tests/app), it prints the count of each instead.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  find "$1" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z | xargs -0 -r awk '
    BEGIN { q = sprintf("%c", 39); charLiteral = q "([^" q "\\\\]|\\\\.)" q }
    FNR == 1 { inblock = 0 }
    {
      line = $0
      code = 0
      # String and character literals may hold comment markers ("./*"): blank them first.
      gsub(charLiteral, "c", line)
      gsub(/"([^"\\]|\\.)*"/, "s", line)
      # Walk the line, dropping /* ... */ parts (which may span lines) and a trailing // comment.
      while (length(line) > 0) {
        if (inblock) {
          end = index(line, "*/")
          if (end == 0) { line = ""; break }
          line = substr(line, end + 2)
          inblock = 0
          continue
        }
        s = index(line, "/*")
        d = index(line, "//")
        if (d > 0 && (s == 0 || d < s)) { line = substr(line, 1, d - 1); if (line ~ /[^ \t\r]/) code = 1; break }
        if (s > 0) {
          if (substr(line, 1, s - 1) ~ /[^ \t\r]/) code = 1
          line = substr(line, s + 2)
          inblock = 1
          continue
        }
        if (line ~ /[^ \t\r]/) code = 1
        break
      }
      if (code) n++
    }
    END { print n + 0 }' | awk '{ total += $1 } END { print total + 0 }'  # xargs may split the list
}

if [ $# -gt 0 ]; then
  for folder in "$@"; do
    printf '%-24s %7d\n' "$folder" "$(count "$folder")"
  done
  exit 0
fi

src=$(count src)
tests=$(count tests)
fuzz=$(count fuzz)
ratio=$(awk -v t="$tests" -v s="$src" 'BEGIN { printf "%.2f", (s > 0 ? t / s : 0) }')

printf 'src    %7d\n' "$src"
printf 'tests  %7d\n' "$tests"
printf 'ratio  %7s  (tests/src)\n' "$ratio"
printf 'fuzz   %7d  (not in the ratio)\n' "$fuzz"
