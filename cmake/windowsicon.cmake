# SPDX-License-Identifier: GPL-3.0-or-later

# The program's icon for Windows, zp-client.ico in the build folder: the artwork's 256-pixel
# bitmap, scaled down with ImageMagick to the sizes Explorer and the taskbar ask for, and put
# together with icotool (icoutils). The 256-pixel picture stays a PNG inside the icon, as
# Windows expects. Where the tools are missing (a build on Windows itself, say) the program
# goes without an icon of its own, and the build says so.
set(ZP_WINDOWS_ICON ${PROJECT_BINARY_DIR}/zp-client.ico)

function(zp_add_windows_icon target resource_script)
    find_program(ZP_ICOTOOL icotool)
    find_program(ZP_CONVERT convert)
    if(NOT ZP_ICOTOOL OR NOT ZP_CONVERT)
        message(WARNING "icotool (icoutils) or convert (ImageMagick) not found: "
            "${target} gets no icon")
        return()
    endif()
    set(source ${PROJECT_SOURCE_DIR}/assets/zp-client.png)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/icon)
    set(commands)
    set(pictures)
    foreach(size 16 20 24 32 40 48 64)
        set(picture ${folder}/${size}.png)
        # -strip: no time stamps, so that the same artwork always gives the same icon.
        list(APPEND commands COMMAND ${ZP_CONVERT} ${source} -resize ${size}x${size} -strip
            ${picture})
        list(APPEND pictures ${picture})
    endforeach()
    add_custom_command(OUTPUT ${ZP_WINDOWS_ICON}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        ${commands}
        COMMAND ${ZP_ICOTOOL} --create --output=${ZP_WINDOWS_ICON} ${pictures} --raw=${source}
        DEPENDS ${source}
        VERBATIM)
    add_custom_target(${target}_icon DEPENDS ${ZP_WINDOWS_ICON})
    add_dependencies(${target} ${target}_icon)
    # The resource script names the icon without a folder; windres finds it here.
    set_property(SOURCE ${resource_script} APPEND PROPERTY COMPILE_DEFINITIONS ZP_HAS_ICON)
    set_property(SOURCE ${resource_script} APPEND PROPERTY OBJECT_DEPENDS ${ZP_WINDOWS_ICON})
    target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR})
endfunction()
