# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix
# thread model, package g++-mingw-w64-x86-64-posix), statically linked so
# that the programs need no DLL beside them.
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTORA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTORA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 7 and later.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
# No DLLs to ship: the C++ runtime, libgcc and winpthread go into the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test programs run under Wine from the build folder's path.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
