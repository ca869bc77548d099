# The Windows zip: both programs, the sample board list (in the system code page) and the ReadMe.
install(TARGETS tessel RUNTIME DESTINATION .)
if(TARGET TesselCustom)
    install(TARGETS TesselCustom RUNTIME DESTINATION .)
endif()
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/TesselCustom.ini
              ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/ReadMe.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-windows")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
