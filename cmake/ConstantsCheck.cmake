# Checks of the build-time constants, kept apart so that a test can run them in script mode.

function(hostline_check_host name)
    set(value "${${name}}")
    if(value STREQUAL "")
        message(FATAL_ERROR "${name} is empty; it must name the host to pin.")
    endif()
    if(value MATCHES "[ \t#\r\n]")
        message(FATAL_ERROR "${name} (\"${value}\") holds a space, tab, '#', CR or LF; "
                            "a hosts file could not tell such a name apart from its neighbours.")
    endif()
    # Given with its final dot, the name would match only the lines that write the dot too: the
    # usual lines, without it, would stay above the new entry and the window would not show them.
    if(value MATCHES "\\.$")
        message(FATAL_ERROR "${name} (\"${value}\") ends with a dot; give the name without it, as "
                            "hosts files write it (the program still takes \"name.\" lines for the host).")
    endif()
    string(HEX "${value}" hex)
    if(NOT hex MATCHES "^([0-7][0-9a-f])+$")
        message(FATAL_ERROR "${name} (\"${value}\") holds a non-ASCII character; "
                            "write an internationalised name in its xn-- form.")
    endif()
endfunction()

function(hostline_check_address name)
    set(value "${${name}}")
    # No leading zeros: the Windows resolver would read 010 as an octal 8.
    set(octet "(0|[1-9][0-9]?[0-9]?)")
    if(NOT value MATCHES "^${octet}\\.${octet}\\.${octet}\\.${octet}$")
        message(FATAL_ERROR "${name} (\"${value}\") is not a dotted IPv4 address "
                            "(four numbers 0-255 without leading zeros, such as 192.0.2.1).")
    endif()
    foreach(i 1 2 3 4)
        if(CMAKE_MATCH_${i} GREATER 255)
            message(FATAL_ERROR "${name} (\"${value}\") has a number above 255.")
        endif()
    endforeach()
endfunction()
