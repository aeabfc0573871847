#!/usr/bin/env bash
# Renders the documentation's diagrams from their text sources with graphviz:
# docs/architecture.dot -> docs/architecture.svg (shown by docs/architecture.md).
# Run it after editing a .dot file and commit both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v dot >/dev/null || { echo "docs: no 'dot' (graphviz); run scripts/setup.sh" >&2; exit 1; }
for source in "$root"/docs/*.dot; do
  dot -Tsvg "$source" -o "${source%.dot}.svg"
  echo "docs: ${source#"$root"/} -> $(basename "${source%.dot}.svg")"
done
