# Cross-builds the Windows programs on Linux with Debian's MinGW-w64 (POSIX
# threads) against a Qt SDK built for 64-bit Windows with the same compiler.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64.cmake \
#         -DOSTREL_QT_MINGW=<unpacked qt6-mingw folder>
# The folder may also come from the environment variable of the same name.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

if(NOT OSTREL_QT_MINGW AND DEFINED ENV{OSTREL_QT_MINGW})
    set(OSTREL_QT_MINGW "$ENV{OSTREL_QT_MINGW}")
endif()
if(NOT OSTREL_QT_MINGW OR NOT EXISTS "${OSTREL_QT_MINGW}/lib/cmake/Qt6")
    message(FATAL_ERROR "OSTREL_QT_MINGW must name the unpacked Qt SDK for MinGW-w64 "
        "(the qt6-mingw folder with lib/cmake/Qt6), as a CMake or environment variable")
endif()
get_filename_component(OSTREL_QT_MINGW "${OSTREL_QT_MINGW}" ABSOLUTE)
# Try-compiles run with a toolchain file of their own and need the folder too.
set(OSTREL_QT_MINGW "${OSTREL_QT_MINGW}" CACHE PATH "Unpacked Qt SDK for MinGW-w64")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSTREL_QT_MINGW)

# The POSIX-thread flavour: the SDK and its libstdc++ DLL were built with it.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${OSTREL_QT_MINGW}")
list(APPEND CMAKE_PREFIX_PATH "${OSTREL_QT_MINGW}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# moc, uic and rcc are the Linux Qt's (qt6-base-dev-tools), same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
