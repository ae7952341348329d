#!/usr/bin/env bash
# Checks that a deployed Trayvane.app needs nothing outside itself but the
# system: every library it loads is a system one or resolves inside the
# bundle, and its signature carries the bundle identifier.
# Usage: check-bundle.sh <Trayvane.app>
set -euo pipefail
app="$(cd "${1:?usage: check-bundle.sh <Trayvane.app>}" && pwd)"
identifier=org.trayvane.Trayvane
contents="$app/Contents"
failed=0

fail() {
    echo "check-bundle: $*" >&2
    failed=1
}

# Where a dependency's path points, or nothing for a system library.
resolve() {
    local file="$1" dependency="$2"
    case "$dependency" in
    /System/Library/* | /usr/lib/*) ;;
    @executable_path/*) echo "$contents/MacOS/${dependency#@executable_path/}" ;;
    @loader_path/*) echo "$(dirname "$file")/${dependency#@loader_path/}" ;;
    @rpath/*) echo "$contents/Frameworks/${dependency#@rpath/}" ;; # macdeployqt's one rpath
    *) echo "$dependency" ;;
    esac
}

while IFS= read -r -d '' file; do
    file -b "$file" | grep -q 'Mach-O' || continue
    own="$(otool -D "$file" | grep -v ':$' | head -n 1 || true)" # a library's own install name
    # Lines ending in a colon name the file (once per architecture).
    while read -r dependency _; do
        [ "$dependency" = "$own" ] && continue
        target="$(resolve "$file" "$dependency")"
        [ -z "$target" ] && continue
        case "$target" in
        "$contents"/*) [ -e "$target" ] || fail "$file needs $dependency, which is not in the bundle" ;;
        *) fail "$file needs $dependency from outside the bundle" ;;
        esac
    done < <(otool -L "$file" | grep -v ':$' | sort -u)
done < <(find "$contents" -type f -print0)

executable="$contents/MacOS/Trayvane"
otool -l "$executable" | grep -A2 LC_RPATH | grep -q '@executable_path/../Frameworks' ||
    fail "the executable has no rpath into the bundle's Frameworks folder"
codesign --verify --deep --strict "$app" || fail "the signature does not verify"
codesign -dv "$app" 2>&1 | grep -qx "Identifier=$identifier" || fail "the signature's identifier is not $identifier"
exit "$failed"
