# Fails when a portable file of tessel (any but its platform folder's) includes a platform header:
# those files are meant to join the core.
set(forbidden_regex
    "#[ \t]*include[ \t]*[<\"](windows\\.h|Q[A-Za-z]+|qt[a-z]*/|unistd\\.h|fcntl\\.h|termios\\.h|signal\\.h|spawn\\.h|sys/|posix/)")
file(GLOB files "${CLI_ROOT}/*.h" "${CLI_ROOT}/*.cpp")
set(offenders "")
foreach(file IN LISTS files)
    file(STRINGS "${file}" hits REGEX "${forbidden_regex}")
    foreach(hit IN LISTS hits)
        string(APPEND offenders "\n  ${file}: ${hit}")
    endforeach()
endforeach()
if(offenders)
    message(FATAL_ERROR "tessel's portable files include platform headers:${offenders}")
endif()
