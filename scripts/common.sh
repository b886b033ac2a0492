# Sourced by the scripts.

# Installs the Debian packages that are not there.
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

# Runs a command under an X server of its own on a free display number,
# stopped when the command ends. -noreset: a server that resets whenever
# its last client leaves refuses the next player that connects meanwhile.
underxvfb() {
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" "$@"
}
