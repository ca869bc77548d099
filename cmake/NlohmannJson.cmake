# nlohmann-json (Debian's nlohmann-json3-dev), header-only. Reached through a folder of the build
# tree that holds only that library, so that no build (a mingw one included) puts the whole of
# /usr/include on its include path.
find_path(TESSEL_NLOHMANN_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          NO_DEFAULT_PATH)
if(NOT TESSEL_NLOHMANN_JSON_DIR)
    message(FATAL_ERROR "nlohmann/json.hpp is missing: install nlohmann-json3-dev (scripts/setup.sh)")
endif()
set(tessel_json_include ${PROJECT_BINARY_DIR}/third_party/nlohmann-json)
file(MAKE_DIRECTORY ${tessel_json_include})
file(CREATE_LINK ${TESSEL_NLOHMANN_JSON_DIR}/nlohmann ${tessel_json_include}/nlohmann SYMBOLIC)
add_library(tessel_nlohmann_json INTERFACE)
target_include_directories(tessel_nlohmann_json SYSTEM INTERFACE ${tessel_json_include})
