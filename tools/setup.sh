#!/usr/bin/env bash
# Installs, with apt-get, whatever Debian packages the build, the program and
# its tests need and this machine does not have yet. Run as root (or with sudo).
set -euo pipefail

packages=(
    g++ cmake ninja-build pkgconf
    qt6-base-dev qt6-base-private-dev qt6-translations-l10n libsimpleini-dev libexiv2-dev
    fonts-ipafont-gothic xdg-utils
)
if [ "${TOLVANE_SETUP_TESTS:-0}" = 1 ]; then
    # clang's libFuzzer for the fuzz targets, clang-format and clang-tidy for the
    # code's form; the desktop's validators for the installed menu entry and metadata.
    packages+=(clang libclang-rt-dev clang-format clang-tidy desktop-file-utils appstream)
fi
if [ "${TOLVANE_SETUP_PACKAGE:-0}" = 1 ]; then
    # dpkg-shlibdeps computes the package's library dependencies.
    packages+=(dpkg-dev file)
fi

# --list: print the packages, one a line, and install nothing.
if [ "${1:-}" = --list ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}" >&2
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
