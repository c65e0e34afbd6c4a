# Checks of the build-time constants, kept apart so that a test can run them in script mode.

# Stops the configure when the caller's `value` matches `regex`, with the option, the value and
# the reason (given in two pieces, so that it fits the lines; a list would lose its ';').
function(hostline_refuse_value regex reason more)
    if(value MATCHES "${regex}")
        message(FATAL_ERROR "${name} (\"${value}\") ${reason}${more}")
    endif()
endfunction()

function(hostline_check_host name)
    set(value "${${name}}")
    if(value STREQUAL "")
        message(FATAL_ERROR "${name} is empty; it must name the host to pin.")
    endif()
    hostline_refuse_value("[ \t#\r\n]"
        "holds a space, tab, '#', CR or LF; "
        "a hosts file could not tell such a name apart from its neighbours.")
    # Given with its final dot, the name would match only the lines that write the dot too: the
    # usual lines, without it, would stay above the new entry and the window would not show them.
    hostline_refuse_value("\\.$"
        "ends with a dot; give the name without it, as "
        "hosts files write it (the program still takes \"name.\" lines for the host).")
    string(HEX "${value}" hex)
    if(NOT hex MATCHES "^([0-7][0-9a-f])+$")
        message(FATAL_ERROR "${name} (\"${value}\") holds a non-ASCII character; "
                            "write an internationalised name in its xn-- form.")
    endif()
    # What a resolver can look up (RFC 1035 2.3.1 and 2.3.4, RFC 1123 2.1): letters, digits and
    # hyphens in labels of 1 to 63 characters, 253 in all without the final dot. The underscore
    # stays allowed, as it was: it is no host-name character, but DNS names carry it (RFC 2181 11)
    # and refusing it could stop a build that works today.
    hostline_refuse_value("[^A-Za-z0-9._-]"
        "holds a character other than letters, digits, "
        "'-', '_' and '.'; no host name has one (RFC 1035).")
    hostline_refuse_value("^\\."
        "starts with a dot; a name's first label "
        "cannot be empty (RFC 1035).")
    hostline_refuse_value("\\.\\."
        "has two dots in a row; a label cannot be "
        "empty (RFC 1035).")
    string(LENGTH "${value}" length)
    if(length GREATER 253)
        message(FATAL_ERROR "${name} (\"${value}\") is ${length} characters long; a name has at "
                            "most 253 without its final dot (RFC 1035: 255 octets on the wire).")
    endif()
    string(REPLACE "." ";" labels "${value}")
    foreach(label IN LISTS labels)
        string(LENGTH "${label}" length)
        if(length GREATER 63)
            message(FATAL_ERROR "${name} (\"${value}\") has a label of ${length} characters, "
                                "\"${label}\"; a label has at most 63 (RFC 1035).")
        endif()
        if(label MATCHES "^-|-$")
            message(FATAL_ERROR "${name} (\"${value}\") has a label that starts or ends with '-', "
                                "\"${label}\"; no host name has one (RFC 1123 2.1, RFC 952).")
        endif()
    endforeach()
    # A host name's last label is never digits alone (RFC 1123 2.1), so that no name reads as an
    # address: 192.0.2.1, or 3232235777, given as the host is an address.
    list(GET labels -1 last)
    if(last MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${name} (\"${value}\") ends in a label of digits alone; no host "
                            "name does, so that none reads as an IPv4 address (RFC 1123 2.1). "
                            "Give the name the program is to pin.")
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
    set(first ${CMAKE_MATCH_1})
    foreach(i 1 2 3 4)
        if(CMAKE_MATCH_${i} GREATER 255)
            message(FATAL_ERROR "${name} (\"${value}\") has a number above 255.")
        endif()
    endforeach()
    # A pin to an address no server can answer from makes the host unreachable for good.
    if(first EQUAL 0)
        message(FATAL_ERROR "${name} (\"${value}\") is in 0.0.0.0/8, \"this network\", which "
                            "a program may send from but never to (RFC 1122 3.2.1.3).")
    endif()
    if(first GREATER_EQUAL 224 AND first LESS_EQUAL 239)
        message(FATAL_ERROR "${name} (\"${value}\") is a multicast address (224.0.0.0/4, "
                            "RFC 5771), which names a group, not a server.")
    endif()
    if(first GREATER_EQUAL 240)
        message(FATAL_ERROR "${name} (\"${value}\") is in 240.0.0.0/4, reserved and never "
                            "forwarded, with 255.255.255.255, the local broadcast, at its end "
                            "(RFC 6890); no server has such an address.")
    endif()
endfunction()
