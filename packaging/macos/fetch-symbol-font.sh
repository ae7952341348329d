#!/usr/bin/env bash
# Fetches the symbol font where Debian's package is not installed (macOS):
# the same MaterialIcons-Regular.ttf, taken from the same Debian package and
# checked against its known digests. Prints the font's path.
# Usage: fetch-symbol-font.sh <folder>
set -euo pipefail
folder="${1:?usage: fetch-symbol-font.sh <folder>}"
package=fonts-material-design-icons-iconfont_6.7.0+dfsg-1_all.deb
url="https://deb.debian.org/debian/pool/main/f/fonts-material-design-icons-iconfont/$package"
package_sha256=a2abd7168a460fb6063be4175e06fd7c48b1eef68433a608726408053d84e085
font_sha256=29c11fa532ebb58db7ef59c860e4eb935bc2921a8654172d8e889e51f85c6004
member=usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf

sha256() {
    if command -v sha256sum >/dev/null; then sha256sum "$1" | cut -d' ' -f1; else shasum -a 256 "$1" | cut -d' ' -f1; fi
}

mkdir -p "$folder"
folder="$(cd "$folder" && pwd)"
font="$folder/MaterialIcons-Regular.ttf"
if [[ -f "$font" && "$(sha256 "$font")" == "$font_sha256" ]]; then
    echo "$font"
    exit 0
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
curl -fsSL --retry 3 -o "$work/$package" "$url"
[[ "$(sha256 "$work/$package")" == "$package_sha256" ]] || { echo "digest mismatch: $package" >&2; exit 1; }
(cd "$work" && ar x "$package" data.tar.xz && tar -xJf data.tar.xz "./$member")
[[ "$(sha256 "$work/$member")" == "$font_sha256" ]] || { echo "digest mismatch: $member" >&2; exit 1; }
cp "$work/$member" "$font"
echo "$font"
