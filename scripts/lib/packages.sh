# The Debian packages the scripts, the build and the tests use, and the check that every
# command comes from one of them. Sourced by scripts/common.sh.

# Every package whose commands or files the scripts, the build and the tests use.
PACKAGES=(
    wine wine64                                   # wine, wineboot, wineserver and the 64-bit loader
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    binutils-mingw-w64-x86-64                     # windres, dlltool
    cmake ninja-build                             # cmake, ctest, ninja
    googletest nlohmann-json3-dev libcli11-dev    # sources and headers the build takes
    locales                                       # the ja_JP locale's data for localedef
    clang libclang-rt-14-dev                      # the decoders' fuzzers: clang++, libFuzzer, sanitizers
    clang-format                                  # the check that the sources keep the stated style
    freeipmi-tools                                # ipmi-fru: an outside reader of the testbed's FRU images
    wixl                                          # the product's Windows Installer package
    msitools                                      # msiinfo: the package's tables read back by its test
    osslsigncode openssl                          # Authenticode signing; the signing test's throwaway certificate
    prometheus prometheus-node-exporter curl      # promtool and a scrape of mgxtool metrics end to end
    ansible                                       # ansible-playbook: the role that applies settings to many units
    chromium                                      # headless: the Prometheus console page's picture
)

# What the main job and the pictures add: a virtual display, a VNC server with its web client,
# a screen grabber and a Japanese font.
DISPLAY_PACKAGES=(xvfb x11-utils x11vnc novnc websockify imagemagick fonts-ipafont-gothic fonts-wine)
DISPLAY_TOOLS=(Xvfb:xvfb x11vnc:x11vnc websockify:websockify import:imagemagick xdpyinfo:x11-utils)

# Every outside command the scripts, the build and the tests call, with the package that brings
# it. Each must come from the list above, from a package those depend on, or from one every
# Debian system has (priority required).
TOOLS=(
    wine:wine wineboot:wine wineserver:wine
    x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
    x86_64-w64-mingw32-dlltool:binutils-mingw-w64-x86-64
    cmake:cmake ctest:cmake ninja:ninja-build clang++:clang clang-format:clang-format ipmi-fru:freeipmi-tools wixl:wixl
    msiinfo:msitools msibuild:msitools osslsigncode:osslsigncode openssl:openssl
    x86_64-w64-mingw32-objcopy:binutils-mingw-w64-x86-64
    promtool:prometheus prometheus:prometheus prometheus-node-exporter:prometheus-node-exporter curl:curl
    ansible-playbook:ansible chromium:chromium
    localedef:libc-bin locale:libc-bin dpkg-query:dpkg apt-get:apt
    bash:bash env:coreutils date:coreutils tail:coreutils grep:grep sed:sed awk:mawk
)

installed() { dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null | grep -q '^ii'; }

ensure_packages() {
    local missing=() package
    for package in "${PACKAGES[@]}" "$@"; do
        installed "$package" || missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "all packages present"
        return
    fi
    step "installing ${missing[*]} (system-wide, through apt-get)"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The installed packages that the given ones bring, following Depends and Pre-Depends (any
# installed alternative, and virtual packages through Provides), plus every required package.
package_closure() {
    dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Priority}\t${Provides}\t${Pre-Depends}, ${Depends}\n' |
        awk -F'\t' -v roots="$*" '
            function name(text) { sub(/^[ \t]+/, "", text); sub(/[ \t(:].*$/, "", text); return text }
            $1 ~ /^ii/ {
                installed[$2] = 1; depends[$2] = $5
                if ($3 == "required") queue[++tail] = $2
                count = split($4, provided, ",")
                for (i = 1; i <= count; i++) provider[name(provided[i])] = provider[name(provided[i])] " " $2
            }
            END {
                count = split(roots, root, " ")
                for (i = 1; i <= count; i++) queue[++tail] = root[i]
                while (head < tail) {
                    package = queue[++head]
                    if (seen[package]++) continue
                    print package
                    groups = split(depends[package], group, ",")
                    for (g = 1; g <= groups; g++) {
                        choices = split(group[g], choice, "|")
                        for (c = 1; c <= choices; c++) {
                            wanted = name(choice[c])
                            if (wanted in installed) queue[++tail] = wanted
                            providers = split(provider[wanted], by, " ")
                            for (p = 1; p <= providers; p++) queue[++tail] = by[p]
                        }
                    }
                }
            }'
}

# The package that owns a command: its path, then each link it leads through (alternatives),
# each also as the path before /usr was merged.
owner_of() {
    local path=$1 candidate owner
    while [ -n "$path" ]; do
        for candidate in "$path" "${path/#\/usr\/bin\//\/bin\/}" "${path/#\/usr\/sbin\//\/sbin\/}"; do
            owner=$(dpkg-query -S "$candidate" 2>/dev/null | head -n 1) || true
            [ -n "$owner" ] && { echo "${owner%%:*}"; return; }
        done
        [ -L "$path" ] || return 0
        local target
        target=$(readlink "$path")
        case $target in /*) path=$target ;; *) path=$(dirname "$path")/$target ;; esac
    done
}

# Stops the run when a command the project needs is missing, or is present only because it was
# installed by hand: the message names the package to add to PACKAGES.
#   check_tools [PACKAGE_LIST_NAME TOOL_LIST_NAME]   (default PACKAGES TOOLS)
check_tools() {
    local -n packages=${1:-PACKAGES} tools=${2:-TOOLS}
    local closure entry tool package path owner problems=0
    closure=" $(package_closure "${PACKAGES[@]}" "${packages[@]}" | tr '\n' ' ') "
    for entry in "${tools[@]}"; do
        tool=${entry%%:*} package=${entry#*:}
        if ! path=$(command -v "$tool"); then
            printf 'error: the command %s is missing: add the package %s to %s in scripts/lib/packages.sh\n' "$tool" "$package" "${1:-PACKAGES}" >&2
            problems=$((problems + 1))
            continue
        fi
        owner=$(owner_of "$path")
        if [ -z "$owner" ] || [[ $closure != *" $owner "* ]]; then
            printf 'error: the command %s (%s, from package %s) is not brought by the package list: add %s to %s in scripts/lib/packages.sh\n' \
                "$tool" "$path" "${owner:-none}" "${owner:-$package}" "${1:-PACKAGES}" >&2
            problems=$((problems + 1))
        fi
    done
    [ "$problems" = 0 ] || die "$problems command(s) not provided by the package list"
    echo "all ${#tools[@]} commands present, each from a listed package"
}

# Wine names files through the Unix locale's character set, so a program run in a Japanese
# locale (tests do) needs the locale's data.
ensure_japanese_locale() {
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return
    step "generating the ja_JP.UTF-8 locale (system-wide)"
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}
