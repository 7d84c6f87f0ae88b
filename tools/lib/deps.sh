# Installs, with apt-get, whatever the build and the tests need and the machine lacks.
# Sourced by tools/test and tools/demo.
tolvane_install_deps() {
    local pkgs=()
    command -v cmake >/dev/null || pkgs+=(cmake)
    # The win32 thread model: no threading library in the download.
    command -v x86_64-w64-mingw32-g++-win32 >/dev/null ||
        pkgs+=(g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64)
    command -v wine >/dev/null || pkgs+=(wine64 wine)
    command -v wixl >/dev/null || pkgs+=(wixl)
    command -v msiinfo >/dev/null || pkgs+=(msitools)
    command -v Xvfb >/dev/null || pkgs+=(xvfb xauth)
    command -v python3 >/dev/null || pkgs+=(python3)
    # Signing the release, and the tests' throwaway certificates and time stamps.
    command -v osslsigncode >/dev/null || pkgs+=(osslsigncode)
    command -v openssl >/dev/null || pkgs+=(openssl)
    [ -f /usr/src/googletest/CMakeLists.txt ] || pkgs+=(googletest)
    [ -f /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf ] || pkgs+=(fonts-liberation)
    [ -d /usr/include/boost/smart_ptr ] || pkgs+=(libboost-dev)
    # The welcome page is checked in Debian's Chromium; screenshots of windows under
    # Xvfb are taken with ImageMagick's import (called by path: /usr/local may hold
    # a stand-in of another name).
    [ -x /usr/bin/chromium ] || pkgs+=(chromium)
    [ -x /usr/bin/import ] || pkgs+=(imagemagick)
    command -v node >/dev/null || pkgs+=(nodejs npm)
    if [ "${#pkgs[@]}" -gt 0 ]; then
        echo "Installing: ${pkgs[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${pkgs[@]}"
    fi
    # playwright-core, which drives Chromium in the page test, needs Node.js 20 or
    # later with npm; the test fails with the same message without them.
    local node_major
    node_major="$(node -p 'process.versions.node.split(".")[0]' 2>/dev/null || echo 0)"
    if ! command -v npm >/dev/null || [ "$node_major" -lt 20 ]; then
        echo "warning: the welcome-page test needs Node.js 20 or later and npm" \
            "(found node ${node_major}, npm $(npm --version 2>/dev/null || echo none))" >&2
    fi
}
