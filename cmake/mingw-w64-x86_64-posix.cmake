# Cross toolchain for 64-bit Windows: Debian's MinGW-w64 with posix threads (the
# win32-thread flavour has no std::thread or std::mutex).
#
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-posix.cmake \
#     -DORVANTIS_WINDOWS_QT="$(scripts/windows-qt.sh /opt/qt6-mingw)"
#
# ORVANTIS_WINDOWS_QT (optional) is a Windows Qt 6 prefix: find_package(Qt6) finds it,
# with moc, rcc and uic taken from the host's Qt. Test programs run under Wine through
# scripts/wine-run.sh when it is beside this file's folder (ctest, gtest_discover_tests).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
# The gcc-ar wrappers, so that static libraries built with -flto still link.
set(CMAKE_AR /usr/bin/${_mingw}-gcc-ar-posix CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB /usr/bin/${_mingw}-gcc-ranlib-posix CACHE FILEPATH "Archive indexer")

# Libraries, headers and packages come from the MinGW tree (and the Windows Qt), never
# from the host; programs (moc, the emulator, ...) from the host only.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# try_compile projects read this file again: hand them the Qt prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVANTIS_WINDOWS_QT)
if(NOT ORVANTIS_WINDOWS_QT AND DEFINED ENV{ORVANTIS_WINDOWS_QT})
  set(ORVANTIS_WINDOWS_QT "$ENV{ORVANTIS_WINDOWS_QT}")
endif()
if(ORVANTIS_WINDOWS_QT)
  set(ORVANTIS_WINDOWS_QT "${ORVANTIS_WINDOWS_QT}" CACHE PATH "Windows Qt 6 prefix")
  # The Qt prefix is a find root of its own, searched from lib/cmake: CMake does not
  # re-root a prefix equal to a root correctly (Qt's own toolchain file does the same).
  list(APPEND CMAKE_FIND_ROOT_PATH "${ORVANTIS_WINDOWS_QT}")
  list(APPEND CMAKE_PREFIX_PATH "${ORVANTIS_WINDOWS_QT}/lib/cmake")
  set(QT_HOST_PATH /usr CACHE PATH "Host Qt prefix (moc, rcc, uic)")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Host Qt CMake packages")
endif()
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)

get_filename_component(_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh" ABSOLUTE)
if(EXISTS "${_wine_run}")
  if(ORVANTIS_WINDOWS_QT)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${_wine_run};--qt;${ORVANTIS_WINDOWS_QT}")
  else()
    set(CMAKE_CROSSCOMPILING_EMULATOR "${_wine_run}")
  endif()
endif()
unset(_wine_run)
unset(_mingw)
