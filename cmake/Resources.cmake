# The version is set in one place, project(VERSION) in CMakeLists.txt, as the four numbers of the
# version record. What carries it is generated from there at configure time, into the build tree:
# the header that the code and hostline.rc read, and the manifest.

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
set(HOSTLINE_ZIP "hostline-${PROJECT_VERSION}-win32.zip")
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/release.txt" @ONLY
     CONTENT "version=@PROJECT_VERSION@\nzip=@HOSTLINE_ZIP@\n")

