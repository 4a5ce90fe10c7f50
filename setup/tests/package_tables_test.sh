#!/usr/bin/env bash
# The installer package's tables read back (msiinfo) and held to the rules Windows Installer
# and its validators apply and Wine does not: every in-script (deferred) action between
# InstallInitialize and InstallFinalize (ICE77), every action that runs an installed program
# after CostFinalize (ICE75), no immediate action marked to run without impersonation (ICE68),
# a short name for every file (ICE03), a language for every versioned file (ICE60), the install
# location for Add/Remove Programs, and each custom action running exactly in the situations it
# is meant for.
#   package_tables_test.sh PACKAGE
set -Eeuo pipefail
package=$1
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
table() { msiinfo export "$package" "$1" | tail -n +4 | tr -d '\r' | tr '\t' '\037'; }  # rows, fields apart by US

declare -A sequence condition type
while IFS=$'\037' read -r action when number; do
    sequence[$action]=$number condition[$action]=$when
done < <(table InstallExecuteSequence)
declare -A source target
while IFS=$'\037' read -r action kind from to _; do type[$action]=$kind source[$action]=$from target[$action]=$to; done \
    < <(table CustomAction)

for action in "${!type[@]}"; do
    kind=${type[$action]}
    check "$action is sequenced" [ -n "${sequence[$action]:-}" ]
    [ -n "${sequence[$action]:-}" ] || continue
    if (( kind & 0x400 )); then
        check "$action (in-script) runs inside the script (ICE77)" \
            bash -c "(( ${sequence[InstallInitialize]} < ${sequence[$action]} && ${sequence[$action]} < ${sequence[InstallFinalize]} ))"
    fi
    if ! (( kind & 0x400 )); then
        check "$action (immediate) asks for no elevation of its own (ICE68)" bash -c "! (( $kind & 0x800 ))"
    fi
    if (( (kind & 0x3F) == 18 )); then
        check "$action (an installed program) runs after CostFinalize (ICE75)" \
            bash -c "(( ${sequence[$action]} > ${sequence[CostFinalize]} ))"
    fi
done

while IFS=$'\037' read -r file _ name _ version language _; do
    short=${name%%|*}
    check "$file has a short name in 8.3 form (ICE03)" \
        bash -c "[[ '$short' =~ ^[A-Za-z0-9_~]{1,8}\\.[A-Za-z0-9]{1,3}\$ ]]"
    [ -z "$version" ] || check "$file, versioned, names its language (ICE60)" [ -n "$language" ]
done < <(table File)
lower_case_guids=$(for name in Property Component Upgrade; do table $name; done | grep -o -E '\{?[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}\}?' | grep '[a-f]' || true)
check "every GUID of the tables in upper case" [ -z "$lower_case_guids" ]
check "Add/Remove Programs learns the install folder" \
    bash -c "[ '${source[SetARPINSTALLLOCATION]:-}' = ARPINSTALLLOCATION ] && [ '${target[SetARPINSTALLLOCATION]:-}' = '[INSTALLDIR]' ] && (( ${sequence[SetARPINSTALLLOCATION]:-0} > ${sequence[CostFinalize]} && ${sequence[SetARPINSTALLLOCATION]:-0} < ${sequence[InstallInitialize]} ))"

check "a downgrade is refused after the related products are found, before anything changes" \
    bash -c "(( ${sequence[FindRelatedProducts]} < ${sequence[RefuseDowngrade]} && ${sequence[RefuseDowngrade]} < ${sequence[InstallInitialize]} ))"
check "the removal is refused before anything changes" \
    bash -c "(( ${sequence[RefuseRemovalWhileSettingsProgramRuns]} < ${sequence[InstallInitialize]} ))"

check "the install folder is the product's before its files land, inside the script" \
    bash -c "(( ${sequence[InstallInitialize]} < ${sequence[LockInstallFolder]} && ${sequence[LockInstallFolder]} < ${sequence[InstallFiles]} )) && (( ${type[LockInstallFolder]} & 0x400 ))"
# A rollback action (in-script, run only when the script is rolled back) is written into the
# rollback script when the script reaches it: before the step it undoes.
check "the folders the lock makes go on a rollback" \
    bash -c "(( (${type[ForgetInstallFolder]} & 0x700) == 0x500 && ${sequence[ForgetInstallFolder]} < ${sequence[LockInstallFolder]} ))"
check "the setup program's work is undone on a rollback" \
    bash -c "(( (${type[RollBackInstallActions]} & 0x700) == 0x500 && ${sequence[RollBackInstallActions]} < ${sequence[RunInstallActions]} ))"

# The situations, by the properties Windows Installer sets in them.
declare -A situations=(
    [install]=""
    [upgrade]="WIX_UPGRADE_DETECTED=1"
    [repair]="Installed=1 REINSTALL=ALL"
    [removal]="Installed=1 REMOVE=ALL"
    [removal-by-upgrade]="Installed=1 REMOVE=ALL UPGRADINGPRODUCTCODE=1"
)
# Whether a condition of the package's kind holds with the given properties: alternatives
# joined by OR, each of terms joined by AND (which binds closer, as in Windows Installer), each
# term NAME or NAME="VALUE", either of them after NOT.
holds_all() {  # holds_all TERMS PROPERTIES...: every term of an AND chain holds
    local condition=$1 term name value negated truth
    shift
    declare -A set=()
    for property in "$@"; do set[${property%%=*}]=${property#*=}; done
    while IFS= read -r term; do
        term=$(echo "$term" | sed 's/^ *//; s/ *$//')
        negated=no
        [[ $term == NOT\ * ]] && negated=yes term=${term#NOT }
        if [[ $term == *=* ]]; then
            name=${term%%=*} value=${term#*=} value=${value//\"/}
            [ "${set[$name]:-}" = "$value" ] && truth=yes || truth=no
        else
            [ -n "${set[$term]:-}" ] && truth=yes || truth=no
        fi
        [ "$truth" != "$negated" ] || return 1
    done < <(echo "$condition" | sed 's/ AND /\n/g')
}
holds() {  # holds CONDITION PROPERTIES...
    local condition=$1 alternative
    shift
    [ -n "$condition" ] || return 0
    while IFS= read -r alternative; do
        holds_all "$alternative" "$@" && return 0
    done < <(echo "$condition" | sed 's/ OR /\n/g')
    return 1
}
# Where each custom action is meant to run.
declare -A meant=(
    [RefuseDowngrade]="install upgrade" [SetARPINSTALLLOCATION]="install upgrade repair"
    [PrepareFolderLock]="install upgrade repair" [ForgetInstallFolder]="install upgrade repair"
    [LockInstallFolder]="install upgrade repair"
    [PassInstallFolder]="install" [PassFolderToRollback]="install" [RollBackInstallActions]="install"
    [RunInstallActions]="install"
    [UnregisterServiceForUpgrade]="upgrade repair" [RegisterServiceAfterUpgrade]="upgrade repair"
    [PassRemovalData]="removal" [RemoveInstallActions]="removal" [RefuseRemovalWhileSettingsProgramRuns]="removal"
)
for action in "${!type[@]}"; do
    check "$action has a stated purpose" [ -n "${meant[$action]:-}" ]
    for situation in "${!situations[@]}"; do
        # shellcheck disable=SC2086
        if holds "${condition[$action]:-}" ${situations[$situation]}; then ran=yes; else ran=no; fi
        [[ " ${meant[$action]:-} " == *" $situation "* ]] && wanted=yes || wanted=no
        check "$action in a $situation: runs $wanted" [ "$ran" = "$wanted" ]
    done
done
checks_done
