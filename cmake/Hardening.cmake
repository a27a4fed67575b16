# SPDX-License-Identifier: GPL-3.0-or-later
# Release builds carry the hardening flags a Debian package is built with: fortified C
# library calls, the stack protector, position-independent executables and immediate binding.
# The flags are dpkg-buildflags' own where it is installed, else the same flags written out.
# Sanitizer builds are left alone: their run-time checks cover the same ground.
option(LUMIVUE_HARDEN "Build release builds with the distribution's hardening flags" ON)
if(NOT LUMIVUE_HARDEN OR LUMIVUE_SANITIZE OR CMAKE_CXX_FLAGS MATCHES "-fsanitize"
   OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  return()
endif()

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  set(hardening_compile)
  set(hardening_link)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # The optimisation and debug levels stay the build type's; source paths stay as they are.
    list(FILTER flags EXCLUDE REGEX "^-O|^-g$|^-ffile-prefix-map=|^-fdebug-prefix-map=")
    if(kind STREQUAL "LDFLAGS")
      list(APPEND hardening_link ${flags})
    else()
      list(APPEND hardening_compile ${flags})
    endif()
  endforeach()
else()
  set(hardening_compile -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection -Wformat
                        -Werror=format-security)
  set(hardening_link -Wl,-z,relro -Wl,-z,now)
endif()
list(REMOVE_DUPLICATES hardening_compile)
add_compile_options(${hardening_compile})
add_link_options(${hardening_link})
message(STATUS "Hardening: ${hardening_compile} ${hardening_link}")
