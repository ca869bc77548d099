# Fails when a file of a portable folder includes a platform, toolkit or database header, or code
# of a platform folder. Give the folders as -DPORTABLE_DIRS="dir1;dir2" (their subfolders are not
# looked at: a portable folder may keep its platform wiring in one).
set(forbidden_regex
    "#[ \t]*include[ \t]*[<\"](windows\\.h|wininet\\.h|shellapi\\.h|Q[A-Za-z]+|qt[a-z]*/|unistd\\.h|fcntl\\.h|iconv\\.h|dirent\\.h|spawn\\.h|termios\\.h|signal\\.h|sys/|sqlite3\\.h|openssl/|posix/|win32/)")
set(offenders "")
foreach(dir IN LISTS PORTABLE_DIRS)
    file(GLOB files "${dir}/*.h" "${dir}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" hits REGEX "${forbidden_regex}")
        foreach(hit IN LISTS hits)
            string(APPEND offenders "\n  ${file}: ${hit}")
        endforeach()
    endforeach()
endforeach()
if(offenders)
    message(FATAL_ERROR "Portable code includes platform or toolkit headers:${offenders}")
endif()
message(STATUS "No portable file includes a platform or toolkit header.")
