# What the product's programs and libraries carry for Windows.

# add_program_manifest(TARGET requireAdministrator|asInvoker)
#
# Embeds the application manifest (cmake/manifest) into the program TARGET as its resource 1 of
# type 24, which Windows reads before the program starts: the execution level decides whether an
# administrator's filtered token is elevated first. The program is linked terminal-server aware.
function(add_program_manifest target level)
    set(PROGRAM ${target})
    set(EXECUTION_LEVEL ${level})
    set(folder ${CMAKE_BINARY_DIR}/generated/manifests)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/manifest/application.manifest.in ${folder}/${target}.manifest @ONLY)
    file(WRITE ${folder}/${target}.manifest.rc "1 24 \"${folder}/${target}.manifest\"\n")
    target_sources(${target} PRIVATE ${folder}/${target}.manifest.rc)
    set_property(SOURCE ${folder}/${target}.manifest.rc APPEND PROPERTY OBJECT_DEPENDS ${folder}/${target}.manifest)
    target_link_options(${target} PRIVATE -Wl,--tsaware)
endfunction()

# add_version_resource(TARGET FILE_NAME "DESCRIPTION")
#
# Gives the program or library TARGET (shipped as FILE_NAME) the product's version resource:
# product name, version (top CMakeLists.txt), company, file description, original file name.
function(add_version_resource target file_name description)
    set(TARGET_NAME ${target})
    set(ORIGINAL_FILENAME ${file_name})
    set(FILE_DESCRIPTION ${description})
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE")
        set(FILE_TYPE VFT_APP)
    else()
        set(FILE_TYPE VFT_DLL)
    endif()
    set(resource ${CMAKE_BINARY_DIR}/generated/versions/${target}.version.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version_resource.rc.in ${resource} @ONLY)
    target_sources(${target} PRIVATE ${resource})
endfunction()
