# Installs with apt whatever of the named Debian packages is missing. Sourced by the scripts.
quorvel_install() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

QUORVEL_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libgl-dev qt6-translations-l10n fonts-ipafont-gothic qt6-image-formats-plugins libexiv2-dev)
QUORVEL_TEST_PACKAGES=(xvfb xauth xdotool x11-utils imagemagick strace e2fsprogs locales tzdata clang libclang-rt-14-dev desktop-file-utils appstream exiv2
    fuse3 fusefat dosfstools exfat-fuse exfatprogs ntfs-3g mount util-linux)
