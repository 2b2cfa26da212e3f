# Cross-compiling for 64-bit Windows with mingw-w64; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# The cross-built codec libraries live outside the clone (tools/deps.sh).
if(DEFINED ENV{QLRY_DEPS_PREFIX})
  set(QLRY_DEPS_PREFIX "$ENV{QLRY_DEPS_PREFIX}" CACHE PATH "mingw dependency prefix")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(QLRY_DEPS_PREFIX "$ENV{XDG_CACHE_HOME}/quillory/mingw-prefix" CACHE PATH "mingw dependency prefix")
else()
  set(QLRY_DEPS_PREFIX "$ENV{HOME}/.cache/quillory/mingw-prefix" CACHE PATH "mingw dependency prefix")
endif()

set(CMAKE_FIND_ROOT_PATH "${QLRY_DEPS_PREFIX}" /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ZLIB_USE_STATIC_LIBS ON)
set(ENV{PKG_CONFIG_LIBDIR} "${QLRY_DEPS_PREFIX}/lib/pkgconfig")

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
