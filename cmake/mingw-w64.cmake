# Cross-compiles marksafe for 64-bit Windows with MinGW-w64.
#
# The "-posix" compilers are used because Debian's default "-win32" variants
# of GCC 12 come without std::thread and std::mutex. libgcc, libstdc++ and
# winpthread are linked in statically, so marksafe.dll and the executables
# need nothing beside the system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MARKSAFE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MARKSAFE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MARKSAFE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MARKSAFE_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${MARKSAFE_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${MARKSAFE_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the MinGW sysroot and from the folder of
# cross-built third-party libraries (MARKSAFE_WINDOWS_DEPS, set by
# scripts/build-windows.sh); programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MARKSAFE_MINGW_TRIPLE})
if(MARKSAFE_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${MARKSAFE_WINDOWS_DEPS})
  list(APPEND CMAKE_PREFIX_PATH ${MARKSAFE_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wide-character Win32 API throughout; Windows 7 as the oldest target.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _WIN32_WINNT=0x0601)

set(MARKSAFE_STATIC_RUNTIME_FLAGS "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${MARKSAFE_STATIC_RUNTIME_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${MARKSAFE_STATIC_RUNTIME_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${MARKSAFE_STATIC_RUNTIME_FLAGS}")

# Tests run the Windows executables through Wine.
find_program(MARKSAFE_WINE NAMES wine wine64)
if(MARKSAFE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MARKSAFE_WINE})
endif()
