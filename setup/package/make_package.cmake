# Makes the installer package from the built programs and libraries (cmake -P, run by the build
# and by the signing test):
#   1. every program and library the package ships is copied into FILES_DIR stripped, with its
#      debug information kept in DEBUG_DIR/NAME.debug and a debug link to it (crash analysis);
#      an outside monitoring service program (OUTSIDE_SERVICE) is shipped as it came;
#   2. with a certificate (CERT and KEY, PEM; TIMESTAMP_URL optional) each of them is
#      Authenticode-signed (SHA-256) with osslsigncode;
#   3. wixl builds PACKAGE from SOURCE;
#   4. package_tables.cmake puts into its tables what wixl cannot write;
#   5. with a certificate the package itself is signed.
#
# -D: BINARIES (paths apart by "|"), SERVICE (the monitoring service program), OUTSIDE_SERVICE
# (ON/OFF), ICON, FILES_DIR, DEBUG_DIR, SOURCE, VERSION, PACKAGE, OBJCOPY, CERT, KEY, TIMESTAMP_URL.
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/run_tool.cmake)

function(sign file)
    set(options -certs ${CERT} -key ${KEY} -h sha256 -n Uptiva)
    if(TIMESTAMP_URL)
        list(APPEND options -ts ${TIMESTAMP_URL})
    endif()
    run(osslsigncode sign ${options} -in ${file} -out ${file}.signed)
    file(RENAME ${file}.signed ${file})
endfunction()

string(REPLACE "|" ";" BINARIES "${BINARIES}")
file(REMOVE_RECURSE ${FILES_DIR})
file(MAKE_DIRECTORY ${FILES_DIR} ${DEBUG_DIR})
set(shipped)
foreach(binary IN LISTS BINARIES SERVICE)
    if("${binary}" STREQUAL "${SERVICE}")
        set(name GK7T30SV.EXE)
    else()
        get_filename_component(name ${binary} NAME)
    endif()
    if("${binary}" STREQUAL "${SERVICE}" AND OUTSIDE_SERVICE)
        file(COPY_FILE ${binary} ${FILES_DIR}/${name})
    else()
        run(${OBJCOPY} --only-keep-debug ${binary} ${DEBUG_DIR}/${name}.debug)
        run(${OBJCOPY} --strip-all --add-gnu-debuglink=${DEBUG_DIR}/${name}.debug ${binary} ${FILES_DIR}/${name})
    endif()
    list(APPEND shipped ${name})
endforeach()
file(COPY_FILE ${ICON} ${FILES_DIR}/GK7T30UI.ico)

if(CERT AND NOT TIMESTAMP_URL)
    message(WARNING "signing without a timestamp server (-DMGX_SIGNING_TIMESTAMP_URL): Windows stops trusting the "
                    "signatures when the certificate expires")
endif()
if(CERT)
    foreach(name IN LISTS shipped)
        sign(${FILES_DIR}/${name})
    endforeach()
endif()

run(IN ${FILES_DIR} wixl --arch x64 --output ${PACKAGE} -D Version=${VERSION} ${SOURCE})

include(${CMAKE_CURRENT_LIST_DIR}/package_tables.cmake)

if(CERT)
    sign(${PACKAGE})
    message(STATUS "the package and every file in it are signed: ${PACKAGE}")
else()
    message(STATUS "the package is unsigned (no -DMGX_SIGNING_CERT): ${PACKAGE}")
endif()
