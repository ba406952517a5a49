# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the Debian package (or, with GENERATOR=NSIS, the Windows setup program) from the
# programs of the build in BUILD_DIR with cpack (CPACK), as OUTPUT_DIR/zp-client.deb (or
# OUTPUT_DIR/zp-client-setup.exe), so that the tests after it find it under one name.
if(NOT GENERATOR)
    set(GENERATOR DEB)
endif()
if(GENERATOR STREQUAL "NSIS")
    set(pattern zp-client-*-setup.exe)
    set(name zp-client-setup.exe)
else()
    set(pattern zp-client_*.deb)
    set(name zp-client.deb)
endif()
file(REMOVE_RECURSE ${OUTPUT_DIR})
execute_process(
    COMMAND ${CPACK} -G ${GENERATOR} --config ${BUILD_DIR}/CPackConfig.cmake -B ${OUTPUT_DIR}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed")
endif()
file(GLOB packages ${OUTPUT_DIR}/${pattern})
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made ${count} packages, not one: ${packages}")
endif()
file(RENAME ${packages} ${OUTPUT_DIR}/${name})
