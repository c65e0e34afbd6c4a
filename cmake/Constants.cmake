# The service host and the two line addresses are fixed when the program is built. They reach the
# code through one generated header, and a value the hosts rules could not work with stops the
# configure step here rather than producing a program that edits the wrong lines.

set(HOSTLINE_SERVICE_HOST "service.example.com" CACHE STRING "The host name the program pins")
set(HOSTLINE_LINE1_ADDRESS "192.0.2.1" CACHE STRING "The IPv4 address of line 1")
set(HOSTLINE_LINE2_ADDRESS "198.51.100.1" CACHE STRING "The IPv4 address of line 2")

include("${CMAKE_CURRENT_LIST_DIR}/ConstantsCheck.cmake")

hostline_check_host(HOSTLINE_SERVICE_HOST)
hostline_check_address(HOSTLINE_LINE1_ADDRESS)
hostline_check_address(HOSTLINE_LINE2_ADDRESS)

# Every byte of the host as an escape, so no character can end the string literal early.
string(HEX "${HOSTLINE_SERVICE_HOST}" host_hex)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\"\\\\x\\1\" " HOSTLINE_SERVICE_HOST_LITERAL "${host_hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "L\"\\\\x\\1\" " HOSTLINE_SERVICE_HOST_WIDE_LITERAL "${host_hex}")

set(HOSTLINE_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
configure_file("${CMAKE_CURRENT_LIST_DIR}/hostline_constants.h.in"
               "${HOSTLINE_GENERATED_DIR}/hostline_constants.h" @ONLY)
