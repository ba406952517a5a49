# SPDX-License-Identifier: GPL-3.0-or-later

# Registers a Qt Test executable built from tests/<folder>/<name>.cpp.
# Every test runs on the offscreen platform, so no display is needed.
function(add_zp_test name)
    cmake_parse_arguments(ARG "" "" "LIBS;SOURCES" ${ARGN})
    qt_add_executable(${name} ${name}.cpp ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    # Loopback servers and other helpers that tests of several folders share.
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false"
        TIMEOUT 300)
endfunction()
