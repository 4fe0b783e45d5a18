# Cross-builds quillfix.exe for 64-bit Windows with MinGW-w64, linked
# statically so that it runs on a bare Windows. The C compiler builds the C
# libraries it links (cmake/build-editorconfig-mingw.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# Libraries built for Windows here (EDITORCONFIG_ROOT, a prefix with include/
# and lib/) are searched as a root of their own.
if(EDITORCONFIG_ROOT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${EDITORCONFIG_ROOT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
