# Installs the Debian packages named in its arguments that are not installed yet.
# Sourced by ./run and ./test; a second run finds everything present and returns at once.
vadro_install_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What building needs.
VADRO_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
    libgl-dev libfontconfig-dev zlib1g-dev libjpeg62-turbo-dev)
# What the program needs at run time: image plugins, the MIME database, icons, fonts.
VADRO_RUNTIME_PACKAGES=(libqt6svg6 qt6-image-formats-plugins shared-mime-info adwaita-icon-theme
    hicolor-icon-theme fonts-dejavu-core fonts-liberation2 libqt6printsupport6 fontconfig)
# What the tests and the checks need besides.
# poppler-utils renders printed pages; gsettings and its schemas take a real wallpaper setting;
# a CFF font and a bitmap font that the font list must leave out; the validators of the
# installed files and the package tools; Qt's linguist tools check the translation template.
VADRO_TEST_PACKAGES=(clang-format poppler-utils libglib2.0-bin gsettings-desktop-schemas
    fonts-cantarell fonts-terminus-otb desktop-file-utils appstream dpkg-dev xvfb xauth
    qt6-tools-dev qt6-l10n-tools)
# A display of its own for machines without one.
VADRO_DISPLAY_PACKAGES=(xvfb xauth)
# What tools/screenshots needs: a private file system view, a display, keys
# and a capture.
VADRO_SCREENSHOT_PACKAGES=(bubblewrap xvfb xdotool imagemagick)
# A print system with a PDF printer, for trying printing for real (tools/print-cups).
VADRO_PRINT_PACKAGES=(cups printer-driver-cups-pdf)
# What tools/package needs to make and check the Debian package.
VADRO_PACKAGE_PACKAGES=(dpkg-dev lintian)

# The one build folder ./run and ./test share, with one build type and one set of options, so
# that whichever runs second builds only what the first did not. Warnings stop the build, as in
# CI.
VADRO_DEV_BUILD=build/dev
vadro_configure_dev_build() {
    cmake -S . -B "$VADRO_DEV_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVADRO_WERROR=ON >/dev/null
}
