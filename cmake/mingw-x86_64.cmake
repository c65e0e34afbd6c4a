# 64-bit Windows: the same program and tests, for machines whose Wine runs only 64-bit programs.
set(MINGW_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
