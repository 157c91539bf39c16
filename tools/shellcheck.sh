#!/usr/bin/env bash
# Runs shellcheck over every shell script of the repository: *.sh, .ci/run and any other file
# that starts with a sh or bash shebang or names its shell in a shellcheck directive. Files that
# are sourced are followed from the scripts that source them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts=()
# Untracked files too, so a new script is checked before it is added.
while IFS= read -r -d '' f; do
  [ -f "$f" ] || continue
  case $f in
    *.sh) scripts+=("$f"); continue ;;
  esac
  first=$(head -n 1 "$f" 2>/dev/null | tr -d '\0')
  if [[ $first =~ ^\#!.*(/|[[:space:]])(ba)?sh([[:space:]]|$) || $first =~ ^#\ shellcheck\ shell= ]]; then
    scripts+=("$f")
  fi
done < <(git ls-files -z --cached --others --exclude-standard)

echo "shellcheck: ${#scripts[@]} scripts"
shellcheck --external-sources --source-path=SCRIPTDIR "${scripts[@]}"
