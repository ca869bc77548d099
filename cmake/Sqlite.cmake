# SQLite for the Windows build, which Debian does not ship for mingw: its source package, fetched
# by scripts/setup.sh into a cache outside the checkout, made into the amalgamation by its own
# build (host compiler and tclsh) and compiled into a static library, so that the programs carry
# one known version rather than whatever winsqlite3.dll a Windows has.
set(tessel_sqlite_cache "$ENV{XDG_CACHE_HOME}")
if(NOT tessel_sqlite_cache)
    set(tessel_sqlite_cache "$ENV{HOME}/.cache")
endif()
set(TESSEL_SQLITE_SOURCE_DIR "${tessel_sqlite_cache}/tesselcustom/sqlite/source" CACHE PATH
    "The SQLite source tree (Debian's sqlite3 source package) the Windows build compiles")
if(NOT EXISTS ${TESSEL_SQLITE_SOURCE_DIR}/configure)
    message(FATAL_ERROR "No SQLite sources in ${TESSEL_SQLITE_SOURCE_DIR}: run scripts/setup.sh, "
                        "or set TESSEL_SQLITE_SOURCE_DIR")
endif()
find_program(TESSEL_TCLSH tclsh REQUIRED)
find_program(TESSEL_HOST_CC NAMES cc gcc REQUIRED)

enable_language(C)
set(sqlite_build ${PROJECT_BINARY_DIR}/third_party/sqlite)
set(sqlite_amalgamation ${sqlite_build}/sqlite3.c ${sqlite_build}/sqlite3.h)
add_custom_command(OUTPUT ${sqlite_amalgamation}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${sqlite_build}
    COMMAND ${CMAKE_COMMAND} -E chdir ${sqlite_build} ${CMAKE_COMMAND} -E env CC=${TESSEL_HOST_CC}
            TCLSH_CMD=${TESSEL_TCLSH} sh ${TESSEL_SQLITE_SOURCE_DIR}/configure --disable-tcl
            --disable-readline --disable-math > ${sqlite_build}/configure.log
    COMMAND make -C ${sqlite_build} sqlite3.c > ${sqlite_build}/make.log
    DEPENDS ${TESSEL_SQLITE_SOURCE_DIR}/configure ${TESSEL_SQLITE_SOURCE_DIR}/VERSION
    COMMENT "Making the SQLite amalgamation"
    VERBATIM)

add_library(tessel_sqlite STATIC ${sqlite_build}/sqlite3.c)
target_include_directories(tessel_sqlite SYSTEM INTERFACE ${sqlite_build})
# Only what the cookie databases need: no extensions loaded from files, no shared cache, no
# double-quoted strings taken for text.
target_compile_definitions(tessel_sqlite PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_OMIT_SHARED_CACHE
                                                 SQLITE_DQS=0)
add_library(SQLite::SQLite3 ALIAS tessel_sqlite)
