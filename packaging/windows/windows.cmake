# SPDX-License-Identifier: GPL-3.0-or-later

# What a Windows user gets, laid out as the programs expect it: the keypad, zp-webpad (the
# keypad for tablets' browsers) and the stand-in, the Qt DLLs and the plugins they load from
# folders beside them, the MinGW runtime and a README.txt.
# `cmake --install` puts it into a folder (scripts/windows zips that folder); `cpack -G NSIS`
# in the build folder makes the setup program zp-client-<version>-setup.exe from the same rules.

install(TARGETS zp-client zp-standin RUNTIME DESTINATION .)
set(installed zp-client.exe zp-standin.exe)
# A build without Beast or libqrencode leaves zp-webpad out, and the setup program its
# Start-menu entry and firewall rules.
if(TARGET zp-webpad)
    install(TARGETS zp-webpad RUNTIME DESTINATION .)
    list(APPEND installed zp-webpad.exe)
    set(CPACK_ZP_WEBPAD 1)
else()
    set(CPACK_ZP_WEBPAD 0)
endif()

foreach(module Core Gui Widgets Network)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
    list(APPEND installed Qt6${module}.dll)
endforeach()
foreach(plugin platforms/QWindowsIntegrationPlugin styles/QWindowsVistaStylePlugin
        imageformats/QICOPlugin)
    string(REGEX MATCH "^[^/]+" folder ${plugin})
    string(REGEX MATCH "[^/]+$" name ${plugin})
    install(FILES $<TARGET_FILE:Qt6::${name}> DESTINATION ${folder})
    list(APPEND installed ${folder}/$<TARGET_FILE_NAME:Qt6::${name}>)
endforeach()

if(MINGW)
    # The C++ runtime the programs and Qt were built against.
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
            OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        file(REAL_PATH ${found} found)
        if(NOT EXISTS ${found})
            message(FATAL_ERROR "${CMAKE_CXX_COMPILER} knows no ${dll}")
        endif()
        install(FILES ${found} DESTINATION .)
        list(APPEND installed ${dll})
    endforeach()
endif()

# README.txt with Windows line ends and the version, without the repository's licence line.
set(readme_source ${CMAKE_CURRENT_SOURCE_DIR}/windows/README.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme_source})
file(READ ${readme_source} readme)
string(REGEX REPLACE "^[^\n]*SPDX-License-Identifier[^\n]*\n" "" readme "${readme}")
string(REPLACE "@VERSION@" "${PROJECT_VERSION}" readme "${readme}")
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/README.txt "${readme}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

# Qt's DLLs come with their symbol tables; the programs and DLLs are stripped where they are
# installed, so that the zip and the setup program carry only what Windows loads.
if(CMAKE_STRIP)
    list(TRANSFORM installed PREPEND "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/")
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded ${installed}
        COMMAND_ERROR_IS_FATAL ANY)")
endif()

# The setup program. Its script is packaging/windows/NSIS.template.in, which CPack fills in.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME zp-client)
set(CPACK_PACKAGE_VENDOR "ZP Client")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME zp-client-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "ZP Client")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "ZP Client")
set(CPACK_NSIS_PACKAGE_NAME "ZP Client")
set(CPACK_NSIS_DISPLAY_NAME "ZP Client")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The port on which the keypad and zp-webpad hear the ZP server's answer to their search, as
# the link defines it, and the port the tablets connect to, as zp-webpad defines it; a
# per-machine install opens them in the firewall.
function(zp_port_from file constant variable)
    file(STRINGS ${PROJECT_SOURCE_DIR}/${file} port_line REGEX "${constant} = [0-9]+")
    if(port_line MATCHES "${constant} = ([0-9]+)")
        set(${variable} ${CMAKE_MATCH_1} PARENT_SCOPE)
    else()
        message(FATAL_ERROR "no ${constant} in ${file}")
    endif()
endfunction()
zp_port_from(src/link/linkdefaults.h DiscoveryListenPort CPACK_ZP_DISCOVERY_LISTEN_PORT)
zp_port_from(tools/webpad/main.cpp DefaultPort CPACK_ZP_WEBPAD_PORT)
if(ZP_WINDOWS_ICON AND TARGET zp-client_icon)
    set(CPACK_NSIS_MUI_ICON ${ZP_WINDOWS_ICON})
    set(CPACK_NSIS_MUI_UNIICON ${ZP_WINDOWS_ICON})
endif()
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_SOURCE_DIR}/windows)
include(CPack)
