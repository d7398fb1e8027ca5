# Cross-building for 64-bit Windows with Debian's MinGW-w64 compilers (the
# posix thread model, which std::thread needs). The Windows builds of the
# libraries come from tools/release/windows-libs.sh; their prefix is given as
# -DTANGLE_WINDOWS_PREFIX=DIR or in the environment variable of that name.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

if(NOT TANGLE_WINDOWS_PREFIX)
  set(TANGLE_WINDOWS_PREFIX "$ENV{TANGLE_WINDOWS_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TANGLE_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple} ${TANGLE_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows libraries, never the host's.
if(TANGLE_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${TANGLE_WINDOWS_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# FindGLEW looks for the import library under MSVC's name (glew32.lib) only.
if(TANGLE_WINDOWS_PREFIX)
  set(GLEW_SHARED_LIBRARY_RELEASE "${TANGLE_WINDOWS_PREFIX}/lib/libglew32.dll.a" CACHE FILEPATH "")
endif()
