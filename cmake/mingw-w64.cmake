# Cross build for 64-bit Windows on Debian with MinGW-w64 (g++-mingw-w64-x86-64-posix: the posix
# flavour, whose std::thread and std::filesystem work). `make test-windows` uses it; the tests run
# under Wine.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEXARO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXARO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXARO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXARO_MINGW}-windres)

# Libraries and headers come from the MinGW tree only, never from the build machine's /usr;
# programs (the build tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VEXARO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that carry their C++ runtime: nothing to copy beside them, under Wine or on a PC.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# What Debian offers for the target as well: GoogleTest as sources, CLI11 and nlohmann/json as
# headers. Only these folders are put on the include path (cmake/HeaderOnlyDependencies.cmake).
set(VEXARO_GTEST_SOURCE_DIR /usr/src/googletest)
set(VEXARO_HEADER_ONLY_DIRS /usr/include/CLI /usr/include/nlohmann)

# ctest runs every program under Wine, quietly, in a Wine prefix inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
