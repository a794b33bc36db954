# Installs the Debian packages named as arguments that are not installed yet, with sudo
# when not root, saying what it installs. Sourced by ./run and ./test.
need_packages() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing Debian packages:$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null ||
        { echo "Could not install:$missing" >&2; return 1; }
}

# What building the program needs.
BUILD_PACKAGES="cmake make g++ freeglut3-dev libgl-dev"

# What the authoring tools add: SVG parsing, polygon booleans, tessellation, fonts, text
# layout in both directions.
AUTHORING_PACKAGES="libsvgpp-dev libxml2-dev libpolyclipping-dev libglu1-mesa-dev libfontconfig-dev
    libfreetype-dev libharfbuzz-dev libraqm-dev pkg-config fonts-dejavu-core"

# The converters that import runs on PDF, AI and EPS files (separate programs, not linked; a
# missing one is one line at run time), and that the tests of that path need.
CONVERT_PACKAGES="poppler-utils ghostscript"

# What logotipo-record needs: the tracer and replayer, a virtual display, the key sender and
# the encoder.
RECORD_PACKAGES="apitrace xvfb xdotool x11-utils libgl1-mesa-dri ffmpeg"

# The editor whose saves the watch test makes.
EDITOR_PACKAGES="vim-tiny"

# What the fidelity sweep needs (tests only, ./test installs it): an independent SVG renderer
# and the imaging library that compares its pictures.
FIDELITY_PACKAGES="librsvg2-bin python3-pil"
