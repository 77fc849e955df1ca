# Cross build for 64-bit Windows with Debian's mingw-w64 (GCC 12). The "-posix" compilers
# use the POSIX thread model (winpthreads): the "-win32" ones have no std::thread,
# std::mutex or std::condition_variable. Everything is linked statically (the C++ and
# GCC run-times, winpthreads) so the executables import only Windows' own DLLs and run
# from a folder without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELUDOR_MINGW_TRIPLET x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER ${VELUDOR_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${VELUDOR_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${VELUDOR_MINGW_TRIPLET}-windres REQUIRED)

# The target's headers and libraries sit in <prefix>/<triplet> beside the compilers'
# <prefix>/bin. Libraries, headers and packages are looked up there only, so nothing of
# the host (Qt, SDL, libjpeg) is taken for a Windows one; programs are the host's.
get_filename_component(VELUDOR_MINGW_PREFIX ${CMAKE_C_COMPILER} DIRECTORY)
get_filename_component(VELUDOR_MINGW_PREFIX ${VELUDOR_MINGW_PREFIX}/.. ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH ${VELUDOR_MINGW_PREFIX}/${VELUDOR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# mingw-w64's start-up objects carry debug information, which the loader would map with
# the image: release executables are stripped (16 KB instead of 120 KB for the Win32
# clock).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
