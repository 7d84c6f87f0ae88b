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
    [ -f /usr/src/googletest/CMakeLists.txt ] || pkgs+=(googletest)
    [ -f /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf ] || pkgs+=(fonts-liberation)
    [ -d /usr/include/boost/smart_ptr ] || pkgs+=(libboost-dev)
    if [ "${#pkgs[@]}" -gt 0 ]; then
        echo "Installing: ${pkgs[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${pkgs[@]}"
    fi
}
