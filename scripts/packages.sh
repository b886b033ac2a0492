# Sourced by the scripts: installs the Debian packages that are not there.
ensurepackages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building and running the player needs, X server included.
PLAYER_PACKAGES=(cmake make g++ freeglut3-dev libgl-dev libgl1-mesa-dri libglx-mesa0 xvfb xauth)
