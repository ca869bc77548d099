cmake_minimum_required(VERSION 3.25)

# Fails when an include runs against the house's layers: a portable folder includes a platform,
# toolkit or database header, or any folder includes one it sits below. Run with -DSOURCE_DIR=<src>.
#
# Each row: a folder, then the folders its files may include besides itself.
set(layers
    "text"
    "settings text"
    "controls text settings"
    "cookies text settings"
    "cookies/sqlite cookies text"
    "board text settings cookies"
    "app text settings controls cookies board"
    "posix text settings controls cookies board app"
    "win32 text settings controls cookies board app"
    "win32/gui win32 text settings controls cookies board app"
    "qt posix text settings controls cookies board app"
    "cli text settings controls cookies board app"
    "cli/commands cli text settings controls cookies board app"
    "cli/terminal cli text settings controls cookies board app"
    "cli/json cli text settings controls cookies board app"
    "cli/posix cli posix text settings controls cookies board app"
    "cli/win32 cli win32 text settings controls cookies board app"
)
# Portable folders see no operating system, toolkit or database; their subfolders may keep the
# wiring to one (cookies/sqlite).
set(portable text settings controls cookies board app cli cli/commands cli/terminal cli/json)
set(platform_regex
    "#[ \t]*include[ \t]*[<\"](windows\\.h|wininet\\.h|shellapi\\.h|Q[A-Za-z]+|qt[a-z]*/|unistd\\.h|fcntl\\.h|iconv\\.h|dirent\\.h|spawn\\.h|termios\\.h|signal\\.h|sys/|sqlite3\\.h|openssl/)")

# Every file follows the row of its deepest folder that has one: posix/files follows posix.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(row_folders "")
foreach(row IN LISTS layers)
    string(REGEX REPLACE " .*" "" folder "${row}")
    list(APPEND row_folders ${folder})
endforeach()
set(offenders "")
foreach(source IN LISTS sources)
    get_filename_component(folder "${source}" DIRECTORY)
    while(folder AND NOT folder IN_LIST row_folders)
        get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
    if(NOT folder)
        continue()
    endif()
    list(FIND row_folders ${folder} index)
    list(GET layers ${index} row)
    string(REPLACE " " ";" row "${row}")
    set(file "${SOURCE_DIR}/${source}")
    file(STRINGS "${file}" includes REGEX "^#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
        if(line MATCHES "^#[ \t]*include[ \t]*\"([a-z0-9]+)/")
            set(target ${CMAKE_MATCH_1})
            if(NOT target IN_LIST row)
                string(APPEND offenders "\n  ${file}: ${line} (${folder} sits below ${target})")
            endif()
        endif()
        if(folder IN_LIST portable AND line MATCHES "${platform_regex}")
            string(APPEND offenders "\n  ${file}: ${line} (${folder} is portable)")
        endif()
    endforeach()
endforeach()
if(offenders)
    message(FATAL_ERROR "Includes against the house's layers:${offenders}")
endif()
message(STATUS "Every include keeps to the house's layers.")
