# What the tests left out, with the reason each gave, gathered from their output so the test
# command can end with the list. Each function prints "LABEL NAME: REASON" lines.

# GoogleTest's output: "FILE:LINE: Skipped", the reason on the next lines, then
# "[  SKIPPED ] Suite.Case (N ms)".
gtest_skips() { # LOG LABEL
  tr -d '\r' <"$1" | awk -v label="$2" '
    /: Skipped$/ { reason = ""; taking = 1; next }
    taking && /^\[  SKIPPED \] [^ ]+ \(/ {
      printf "%s %s: %s\n", label, $4, (reason == "" ? "no reason given" : reason)
      taking = 0; next
    }
    taking { reason = reason == "" ? $0 : reason " " $0 }'
}

# QtTest's plain output: "SKIP   : Class::case(row) REASON".
qtest_skips() { # LOG LABEL
  tr -d '\r' <"$1" | sed -n "s/^SKIP *: *\\([^ ]*\\) \\(.*\\)\$/$2 \\1: \\2/p"
}

# CTest's JUnit report: every test it did not run or counted as skipped, and the cases that
# skipped inside a program that passed (QtTest's "SKIP" lines, a script's "not run:" lines).
junit_skips() { # XML
  local xml=$1
  [ -f "$xml" ] || { echo "ctest: no report at $xml"; return; }
  # One test case per line; the entities ctest writes are turned back into text.
  tr -d '\r' <"$xml" | tr '\n' '\r' | sed 's/<testcase /\n<testcase /g' | while IFS= read -r record || [ -n "$record" ]; do
    case $record in '<testcase '*) ;; *) continue ;; esac
    name=$(sed -n 's/^<testcase name="\([^"]*\)".*/\1/p' <<<"$record")
    status=$(sed -n 's/^<testcase [^>]*status="\([^"]*\)".*/\1/p' <<<"$record")
    out=$(tr '\r' '\n' <<<"$record" | sed -e 's/^[[:space:]]*<system-out>//' \
      -e 's/&lt;/</g' -e 's/&gt;/>/g' -e 's/&quot;/"/g' -e "s/&apos;/'/g" -e 's/&amp;/\&/g')
    case $status in
      skipped | notrun | disabled)
        reason=$(sed -n 's/^\(SKIPPED\|not run\|SKIP *:\).*/&/p' <<<"$out" | head -1)
        [ -n "$reason" ] || reason=$(grep -A1 ': Skipped$' <<<"$out" | tail -1)
        echo "ctest $name: ${reason:-$status}"
        ;;
      *)
        sed -n -e "s/^SKIP *: *\\([^ ]*\\) \\(.*\\)\$/ctest $name \\1: \\2/p" \
          -e "s/^not run: \\(.*\\)/ctest $name: \\1/p" <<<"$out"
        ;;
    esac
  done
}
