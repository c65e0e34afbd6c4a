# cmake -DKIND=host|address -DVALUE=... -P check_constant.cmake
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/ConstantsCheck.cmake")
set(HOSTLINE_TEST_VALUE "${VALUE}")
if(KIND STREQUAL "host")
    hostline_check_host(HOSTLINE_TEST_VALUE)
else()
    hostline_check_address(HOSTLINE_TEST_VALUE)
endif()
message(STATUS "accepted")
