#!/usr/bin/env bash
# Checks the formatting of the C++ sources with the .clang-format of the root, always with the same
# clang-format: 15.0.0, a static build from the npm package pinned in tools/clang-format (installed into
# build/clang-format). Distributions ship different clang-format versions (Debian 12: 14, Debian 13: 19),
# and versions disagree on details, so the verdict would depend on the machine.
#
#   scripts/check-format.sh          check, fail on the first file that is not formatted
#   scripts/check-format.sh -i       format the files in place
set -euo pipefail
cd "$(dirname "$0")/.."

version=15.0.0
dir=build/clang-format
bin=$dir/node_modules/clang-format/bin/linux_x64/clang-format
if ! "$bin" --version 2>/dev/null | grep -q "clang-format version $version "; then
    mkdir -p "$dir"
    cp tools/clang-format/package.json tools/clang-format/package-lock.json "$dir/"
    (cd "$dir" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null)
    "$bin" --version | grep -q "clang-format version $version " ||
        { echo "build/clang-format holds no clang-format $version" >&2; exit 1; }
fi

files() {
    git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h'
}
if [ "${1:-}" = -i ]; then
    files | xargs -0 "$bin" -i
else
    files | xargs -0 "$bin" --dry-run --Werror
    echo "Formatting: $(files | tr -cd '\0' | wc -c) files as clang-format $version formats them."
fi
