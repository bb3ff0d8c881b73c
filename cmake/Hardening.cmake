# Debian's hardening flags as dpkg-buildflags gives them, all of them (hardening=+all): the
# stack protector, fortified C library calls, read-only relocations bound at start. They go into
# the optimised builds, which the package is made from (fortified calls need the optimiser);
# sanitizer and fuzz builds instrument the code their own way and do without.
option(NUMORA_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" ON)
find_program(NUMORA_DPKG_BUILDFLAGS dpkg-buildflags)
if(NUMORA_HARDENING AND NUMORA_DPKG_BUILDFLAGS AND NOT NUMORA_SANITIZE AND NOT NUMORA_FUZZ)
    set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${NUMORA_DPKG_BUILDFLAGS} --get ${kind}
                        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
        separate_arguments(flags UNIX_COMMAND "${flags}")
        # The build type chooses optimisation and debug information; paths stay as they are.
        list(FILTER flags EXCLUDE REGEX "^-(g|O)|^-f(file|debug|macro)-prefix-map=")
        if(kind STREQUAL "LDFLAGS")
            add_link_options(${flags})
        else()
            foreach(flag IN LISTS flags)
                add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:${flag}>")
            endforeach()
        endif()
        string(REPLACE ";" " " shown "${flags}")
        message(STATUS "Hardening ${kind}: ${shown}")
    endforeach()
endif()
