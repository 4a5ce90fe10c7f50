# The Wine prefix with the testbed in it, and the product installed from its package. Sourced
# by scripts/common.sh.

# The prefix's wineserver stays up for the whole run (services and drivers with it) and is
# ended when the calling script exits, also on failure.
start_wine() {
    mkdir -p "$WINEPREFIX"
    trap 'wineserver -k 2>/dev/null || true' EXIT
    # One persistent wineserver first, so that booting or making the prefix and every program
    # after it share one session (one service manager). When one already runs, this one ends.
    wineserver -p 2>/dev/null || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        step "creating the Wine prefix in $WINEPREFIX"
        logged wineboot wineboot -i
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null   # headless windows
        # Wine's menu builder stays off for anybody who uses this prefix, also without our scripts.
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null
        # Making a prefix leaves two service managers running; a fresh session has one.
        wineserver -k 2>/dev/null || true
        wineserver -w
        wineserver -p
    fi
    # Starts the automatic services (the testbed's among them). Wine reports a boot that had
    # nothing to update as a failure, so only the log tells.
    wineboot >"$LOGS/wineboot-start.log" 2>&1 || true
}

# Copies the testbed into the prefix and (re)registers its services: the virtual server and the
# three stand-in drivers. Idempotent.
install_testbed() {
    local drive=$WINEPREFIX/drive_c
    if [ -f "$drive/mgxtestbed/vserver.exe" ]; then
        wine 'C:\mgxtestbed\vserver.exe' uninstall || true
    fi
    mkdir -p "$drive/mgxtestbed"
    rm -rf "$drive/mgxtestbed/profiles"
    cp "$BIN/vserver.exe" "$BIN/mgxtb.exe" "$drive/mgxtestbed/"
    cp -r "$BIN/profiles" "$drive/mgxtestbed/"
    cp "$BIN"/imbdrv.sys "$BIN"/bmc.sys "$BIN"/SMBUS2.sys "$drive/windows/system32/drivers/"
    cp "$BIN"/DMIINFO.dll "$BIN"/Imbapi.dll "$BIN"/sensor.dll "$drive/windows/system32/"
    wine reg add 'HKLM\SOFTWARE\MgxTestbed' /v SmbiosSource /d VirtualServer /f >/dev/null
    wine 'C:\mgxtestbed\vserver.exe' install
}

mgxtb() { wine "$BIN/mgxtb.exe" "$@"; }

# Installs the product into C:\GK7T30 of the prefix from its installer package, silently, as an
# administrator would; the setup program's log is C:\GK7T30\setup.log, the installer's
# C:\GK7T30-install.log. A product installed from this very package is kept as it is, with the
# data a person entered; one from another build is upgraded (which keeps the product key).
# `install_product fresh` removes an installed product first, so the run starts from the
# installation defaults (the pictures do that).
install_product() {
    local package kept=$WINEPREFIX/drive_c/mgx-installed.msi status=0 installed=0
    package=${MGX_PACKAGE_FILE:-$(ls "$BUILD"/Uptiva-*-x64*.msi 2>/dev/null | head -1)}  # a test may name another build
    [ -n "$package" ] || die "no installer package in $BUILD (the build makes it)"
    wine reg query 'HKLM\SOFTWARE\Velmora\Uptiva' /v Version >/dev/null 2>&1 && [ -f "$kept" ] && installed=1
    if [ "$installed" = 1 ] && [ "${1:-}" = fresh ]; then
        wine msiexec /x 'C:\mgx-installed.msi' /qn >/dev/null 2>&1 || true
        installed=0
    fi
    if [ "$installed" = 1 ] && cmp -s "$package" "$kept"; then
        echo "the product is installed from $(basename "$package") already: kept as it is, with the data entered in it"
        return
    fi
    local done_text="installed $(basename "$package") into C:\GK7T30"
    [ "$installed" = 1 ] && done_text="upgraded the product in C:\\GK7T30 to the build $(basename "$package"); its data are kept"
    cp "$package" "$kept"
    wine msiexec /i 'C:\mgx-installed.msi' /qn 'INSTALLDIR=C:\GK7T30\' /l*v 'C:\GK7T30-install.log' || status=$?
    # Wine hands msiexec's exit code over cut to 8 bits: 1603 (the setup program failed) is 67,
    # 3010 (done; a file in use is replaced at the next start) is 194.
    case $status in
    0 | 194) echo "$done_text (setup log: $WINEPREFIX/drive_c/GK7T30/setup.log)" ;;
    67) die "the installation failed and was rolled back: the setup program found no usable management unit on this machine, or a step of it failed (see $WINEPREFIX/drive_c/GK7T30-install.log)" ;;
    *) die "msiexec failed with exit code $status (see $WINEPREFIX/drive_c/GK7T30-install.log)" ;;
    esac
}
