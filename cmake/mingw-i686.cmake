# Cross toolchain for the 32-bit Windows build. The -posix variants provide std::thread/std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(PM_DEPS_DIR "$ENV{HOME}/.cache/pminstall-deps" CACHE PATH "Where setup-deps puts the Windows libraries")
if(DEFINED ENV{PM_DEPS_DIR})
    set(PM_DEPS_DIR "$ENV{PM_DEPS_DIR}" CACHE PATH "" FORCE)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${PM_DEPS_DIR}/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: no libgcc/libstdc++/winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run as Windows executables under Wine.
find_program(PM_WINE wine)
if(PM_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PM_WINE})
endif()
