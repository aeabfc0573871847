#!/usr/bin/env bash
# Every test that docs/formats.md and docs/architecture.md name (written
# `Suite.Case`) must exist in lb_tests, so that a renamed or deleted test cannot leave a rule
# documented but unchecked. Needs no display: it only lists the tests.
#   tests/e2e_doc_tests.sh BUILD_DIR
set -u
build=${1:?usage: e2e_doc_tests.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
docs=("$root/docs/formats.md" "$root/docs/architecture.md")
tests="$build/tests/lb_tests"
note() { echo "e2e_doc_tests: $*"; }
[ -x "$tests" ] || { note "no $tests: build first"; exit 1; }

# --gtest_list_tests prints "Suite." lines followed by indented case names.
listed=$("$tests" --gtest_list_tests | awk '
  /^[^ ]/ { suite = $1; next }
  /^  /   { print suite $1 }')
[ -n "$listed" ] || { note "$tests listed no tests"; exit 1; }

named=$(grep -oh '`[A-Z][A-Za-z0-9_]*\.[A-Z][A-Za-z0-9_]*`' "${docs[@]}" | tr -d '`' | sort -u)
[ -n "$named" ] || { note "the documents name no tests"; exit 1; }

fail=0
count=0
while read -r name; do
  count=$((count + 1))
  if ! grep -qxF "$name" <<<"$listed"; then
    note "$(grep -l "\`$name\`" "${docs[@]}" | xargs -n1 basename | paste -sd,) names $name, which lb_tests does not have"
    fail=1
  fi
done <<<"$named"
[ $fail -eq 0 ] && note "all $count tests named in docs/ exist"
exit $fail
