# Installs the Debian packages the build needs when any is missing.
# Sourced by run.sh and test.sh.
chasewell_packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev
    pkgconf libgmime-3.0-dev libical-dev)
# Only the tests need these: clang and its runtime for the fuzz targets; a
# second iCalendar reader to read the exported calendar back; the validators
# of the installed desktop entry and AppStream metadata; a sendmail client
# and a local SMTP server for the delivery tests; the languages' data the
# tests start the program in (chasewell_ensure_locales); Node.js for the
# Thunderbird extension's tests; and Thunderbird itself with an IMAP server
# (dovecot's, served through socat) for the end-to-end rounds in Thunderbird,
# and a real X server with a user's keyboard and mouse (Xvfb, xdotool) where
# the round with the real host finds the host's windows and presses their keys.
chasewell_test_packages=(clang libclang-rt-14-dev python3-icalendar desktop-file-utils appstream
    msmtp python3-aiosmtpd locales nodejs thunderbird dovecot-imapd socat xvfb xdotool)
# The pictures of Chasewell in Thunderbird (scripts/thunderbird-screenshots.sh):
# the round's packages, a window manager for the windows' frames and order,
# and imagemagick to grab the screen.
chasewell_screenshot_packages=(thunderbird dovecot-imapd socat python3-aiosmtpd xvfb xdotool openbox
    imagemagick)

# The languages the tests start the program in, to see that its data file
# keeps every date across a change of language: generated from the locales
# package when the system lacks them.
chasewell_test_locales=(de_DE en_US en_GB)
chasewell_ensure_locales() {
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    for name in "${chasewell_test_locales[@]}"; do
        locale -a 2>/dev/null | grep -qix "${name}.utf-\?8" && continue
        echo "Generating the locale ${name}.UTF-8"
        $sudo localedef -i "$name" -f UTF-8 "${name}.UTF-8"
    done
}

# chasewell_ensure_packages [PACKAGE...]: the build's packages and the ones named.
chasewell_ensure_packages() {
    local missing=()
    for package in "${chasewell_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
