# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the Debian package from the programs of the build in BUILD_DIR with cpack (CPACK), as
# OUTPUT_DIR/zp-client.deb, so that the tests after it find it under one name.
file(REMOVE_RECURSE ${OUTPUT_DIR})
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${OUTPUT_DIR}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed")
endif()
file(GLOB packages ${OUTPUT_DIR}/zp-client_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made ${count} packages, not one: ${packages}")
endif()
file(RENAME ${packages} ${OUTPUT_DIR}/zp-client.deb)
