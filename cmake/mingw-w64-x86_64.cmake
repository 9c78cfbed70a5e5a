# Cross-build for 64-bit Windows with MinGW-w64, everything linked statically, so the core's test
# programs run under Wine without extra DLLs.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-shared.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
