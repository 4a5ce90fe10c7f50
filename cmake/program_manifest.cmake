# add_program_manifest(TARGET requireAdministrator|asInvoker)
#
# Embeds the application manifest (cmake/manifest) into the program TARGET as its resource 1 of
# type 24, which Windows reads before the program starts: the execution level decides whether an
# administrator's filtered token is elevated first.
function(add_program_manifest target level)
    set(PROGRAM ${target})
    set(EXECUTION_LEVEL ${level})
    set(folder ${CMAKE_BINARY_DIR}/generated/manifests)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/manifest/application.manifest.in ${folder}/${target}.manifest @ONLY)
    file(WRITE ${folder}/${target}.manifest.rc "1 24 \"${folder}/${target}.manifest\"\n")
    target_sources(${target} PRIVATE ${folder}/${target}.manifest.rc)
    set_property(SOURCE ${folder}/${target}.manifest.rc APPEND PROPERTY OBJECT_DEPENDS ${folder}/${target}.manifest)
endfunction()
