# What wixl cannot write into the package's tables, put in after it built PACKAGE (included by
# make_package.cmake; also run alone, cmake -DPACKAGE=... -DVERSION=... -DOUTSIDE_SERVICE=OFF -P,
# on a package a test builds with wixl):
#   - the File table: each of the product's files' version and language (wixl leaves them empty)
#     and a short name for each long file name (wixl gives none);
#   - the Upgrade table: the same version counts as an earlier one;
#   - the rollback actions' type;
#   - the Environment table that puts the install folder on the system PATH.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/run_tool.cmake)

# The File table's Version column: the product's version for the product's own files.
run(OUTPUT table msiinfo export ${PACKAGE} File)
string(REPLACE "\r\n" "\n" table "${table}")
string(REGEX REPLACE "\n$" "" table "${table}")
string(REPLACE "\n" ";" rows "${table}")
set(product_language 1033)  # the language of the version resources (Translation 0x0409)
set(versioned "")
set(short_names "")
set(number 0)
foreach(row IN LISTS rows)
    math(EXPR number "${number} + 1")
    if(number GREATER 3 AND row MATCHES "^([^\t]*)\t([^\t]*)\t([^\t]*)\t([^\t]*)\t([^\t]*)\t(.*)$")
        set(key "${CMAKE_MATCH_1}\t${CMAKE_MATCH_2}")
        set(name ${CMAKE_MATCH_3})
        set(size ${CMAKE_MATCH_4})
        set(version ${CMAKE_MATCH_5})
        string(FIND "${CMAKE_MATCH_6}" "\t" language_end)  # the Language column is replaced
        math(EXPR language_end "${language_end} + 1")
        string(SUBSTRING "${CMAKE_MATCH_6}" ${language_end} -1 after)
        set(file_name ${name})
        # A name that is not 8.3 gets a short one beside it ("SHORT~1.EXT|long name").
        if(NOT name MATCHES "^[A-Za-z0-9_]?[A-Za-z0-9_]?[A-Za-z0-9_]?[A-Za-z0-9_]?[A-Za-z0-9_]?[A-Za-z0-9_]?[A-Za-z0-9_]?[A-Za-z0-9_]\\.[A-Za-z0-9]?[A-Za-z0-9]?[A-Za-z0-9]$")
            string(REGEX REPLACE "\\.[^.]*$" "" stem "${name}")
            string(REGEX REPLACE "^.*\\." "" extension "${name}")
            string(REGEX REPLACE "[^A-Za-z0-9_]" "" stem "${stem}")
            string(SUBSTRING "${stem}" 0 6 stem)
            string(SUBSTRING "${extension}" 0 3 extension)
            set(tail 1)
            string(TOUPPER "${stem}~${tail}.${extension}" short)
            while(short IN_LIST short_names)
                math(EXPR tail "${tail} + 1")
                string(TOUPPER "${stem}~${tail}.${extension}" short)
            endwhile()
            list(APPEND short_names ${short})
            set(file_name "${short}|${name}")
        endif()
        set(before "${key}\t${file_name}\t${size}")
        set(language "")
        if(name MATCHES "\\.(EXE|exe|dll)$" AND NOT (name STREQUAL "GK7T30SV.EXE" AND OUTSIDE_SERVICE))
            set(version ${VERSION}.0)
            set(language ${product_language})
        endif()
        set(row "${before}\t${version}\t${language}\t${after}")
    endif()
    string(APPEND versioned "${row}\r\n")
endforeach()
get_filename_component(work ${PACKAGE} DIRECTORY)
file(WRITE ${work}/File.idt "${versioned}")
run(msibuild ${PACKAGE} -i ${work}/File.idt)
file(REMOVE ${work}/File.idt)

# The Upgrade table: the same version counts as an earlier one (its maximum inclusive), so a
# second build of one version (the release and the testbed package are such a pair) replaces the
# first as an upgrade does, keeping the product key, instead of installing beside it. wixl's
# MajorUpgrade has no attribute for it.
run(OUTPUT table msiinfo export ${PACKAGE} Upgrade)
string(REPLACE "\r\n" "\n" table "${table}")
set(upgrade_attributes 513)  # migrate features (1), the maximum version inclusive (512)
string(REGEX REPLACE "\t1\t\tWIX_UPGRADE_DETECTED" "\t${upgrade_attributes}\t\tWIX_UPGRADE_DETECTED" patched "${table}")
if(patched STREQUAL table)
    message(FATAL_ERROR "the Upgrade table of ${PACKAGE} has no upgrade row to make inclusive:\n${table}")
endif()
string(REPLACE "\n" "\r\n" patched "${patched}")
file(WRITE ${work}/Upgrade.idt "${patched}")
run(msibuild ${PACKAGE} -i ${work}/Upgrade.idt)
file(REMOVE ${work}/Upgrade.idt)

# wixl writes an action with Execute="rollback" as one run at once; a rollback action is
# in-script (0x400) and runs only when the script is rolled back (0x100).
set(rollback_actions ForgetInstallFolder RollBackInstallActions)
run(OUTPUT table msiinfo export ${PACKAGE} CustomAction)
foreach(action IN LISTS rollback_actions)
    if(NOT table MATCHES "\n${action}\t([0-9]+)\t")
        message(FATAL_ERROR "the CustomAction table of ${PACKAGE} has no action ${action}")
    endif()
    math(EXPR type "${CMAKE_MATCH_1} | 0x500")
    run(msibuild ${PACKAGE} -q "UPDATE `CustomAction` SET `Type` = ${type} WHERE `Action` = '${action}'")
endforeach()

# An administrator's prompt finds mgxtool: the install folder goes at the end of the system PATH
# with the command-line tool's component and leaves with it ("=" set, "-" removed with the
# product, "*" the system's variable; "[~];" keeps what PATH held). wixl writes no Environment
# table, so it is imported here, with the two standard actions that apply it.
file(WRITE ${work}/Environment.idt "Environment\tName\tValue\tComponent_\r\ns72\tl255\tL255\ts72\r\nEnvironment\tEnvironment\r\n"
                                    "CommandLineToolOnPath\t=-*PATH\t[~];[INSTALLDIR]\tCommandLineTool\r\n")
run(msibuild ${PACKAGE} -i ${work}/Environment.idt
    -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)"
    -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)")
file(REMOVE ${work}/Environment.idt)

