# The version is written once, in project(). The code reads it from a generated header; the
# manual pages, the changelog and the software-centre metadata are configured from it too.
#
# The update server answers with a build number, the four parts of the version run together
# (version 2.1.0.4 is build 2104); that only orders releases while every part is a single digit.
foreach(part MAJOR MINOR PATCH TWEAK)
  if(NOT PROJECT_VERSION_${part} MATCHES "^[0-9]$")
    message(FATAL_ERROR "Version ${PROJECT_VERSION}: every part must be one digit, the build "
                        "number the update check compares is the parts run together")
  endif()
endforeach()
set(VORLEX_BUILD_NUMBER
    "${PROJECT_VERSION_MAJOR}${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH}${PROJECT_VERSION_TWEAK}")

# The reverse-DNS name of the desktop program: its desktop entry, its software-centre metadata
# and the application id it gives the window system.
set(VORLEX_APP_ID org.example.quillmark.vorlex)

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/vorlex_version.h @ONLY)
add_library(vorlex_version INTERFACE)
target_include_directories(vorlex_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
