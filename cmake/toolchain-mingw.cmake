# Cross toolchain for the Windows programs. SPRUCE_ARCH picks the target:
# i686 (the shipped 32-bit programs) or x86_64 (the same sources, for hosts
# whose kernel cannot execute 32-bit code and so cannot run 32-bit Wine).
if(NOT DEFINED SPRUCE_ARCH)
  set(SPRUCE_ARCH i686)
endif()
set(SPRUCE_ARCH ${SPRUCE_ARCH} CACHE STRING "i686 or x86_64")
# SPRUCE_THREADS picks the compilers' thread model: posix for the build that
# is tested (GoogleTest needs std::mutex), win32 for the shipped programs (the
# posix runtime imports functions of Windows Vista, so programs built with it
# would not load on Windows 95 to XP).
if(NOT DEFINED SPRUCE_THREADS)
  set(SPRUCE_THREADS posix)
endif()
set(SPRUCE_THREADS ${SPRUCE_THREADS} CACHE STRING "posix or win32")
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SPRUCE_ARCH SPRUCE_THREADS)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SPRUCE_ARCH})
set(triple ${SPRUCE_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-${SPRUCE_THREADS})
set(CMAKE_CXX_COMPILER ${triple}-g++-${SPRUCE_THREADS})
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
