# Windows with MinGW-w64 for the processor in MINGW_PROCESSOR (i686 or x86_64). The posix thread
# model is preferred where it is installed, since GoogleTest wants std::mutex; everything is
# linked statically either way.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_PROCESSOR})
set(prefix ${MINGW_PROCESSOR}-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${prefix}-g++-posix ${prefix}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${prefix}-gcc-posix ${prefix}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${prefix}-windres REQUIRED)
set(CMAKE_FIND_ROOT_PATH /usr/${prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
