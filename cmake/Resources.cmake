# The version is set in one place, project(VERSION) in CMakeLists.txt, as the four numbers of the
# version record. What carries it is generated from there at configure time, into the build tree:
# the header that the code and hostline.rc read, the manifest, and the users' README.txt.

# The version as users meet it: the caption, README.txt's title and the zip's name ("2.0").
set(HOSTLINE_USER_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
# The record's version strings keep the two-digit minor of earlier releases ("2.00" for 2.0).
if(PROJECT_VERSION_MINOR LESS 10)
    set(HOSTLINE_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
    set(HOSTLINE_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()
configure_file("${PROJECT_SOURCE_DIR}/resources/version.h.in" "${HOSTLINE_GENERATED_DIR}/version.h" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/resources/hostline.manifest.in"
               "${HOSTLINE_GENERATED_DIR}/hostline.manifest" @ONLY)

# What scripts/release names the zip and says it built, one "name=value" a line.
set(HOSTLINE_ZIP "hostline-${HOSTLINE_USER_VERSION}-win32.zip")
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/release.txt" @ONLY
     CONTENT "version=@HOSTLINE_USER_VERSION@\nzip=@HOSTLINE_ZIP@\nhost=@HOSTLINE_SERVICE_HOST@\n")

# The users' README.txt, which the release zips as it is, with this build's host and addresses,
# the version and the zip's name filled in. Notepad before Windows 10 reads a file without a
# byte-order mark as GBK, and breaks lines only at CR LF: it gets both, whichever the template has.
set(readme_template "${PROJECT_SOURCE_DIR}/resources/README.txt.in")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${readme_template}")
file(READ "${readme_template}" readme)
string(ASCII 239 187 191 byte_order_mark)
string(REGEX REPLACE "^${byte_order_mark}" "" readme "${readme}")
block()
    set(VERSION "${HOSTLINE_USER_VERSION}")
    set(ZIP "${HOSTLINE_ZIP}")
    file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/README.txt" CONTENT "${byte_order_mark}${readme}"
         @ONLY NEWLINE_STYLE CRLF)
endblock()
