# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE): the package's Depends, from
# dpkg-shlibdeps on the programs and the component as the build made them (the packed copies
# are the same files, stripped), followed by the packages opened at run time
# (CPACK_QUILLON_DEPENDS).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
include(${CPACK_QUILLON_ELF_FILES})
find_program(QUILLON_SHLIBDEPS dpkg-shlibdeps)
if(NOT QUILLON_SHLIBDEPS)
  message(FATAL_ERROR "dpkg-shlibdeps is not installed (scripts/install-deps.sh installs dpkg-dev)")
endif()
# dpkg-shlibdeps runs in a folder that looks like a source package's.
set(shlibdeps_dir ${CPACK_PACKAGE_DIRECTORY}/_shlibdeps)
file(MAKE_DIRECTORY ${shlibdeps_dir}/debian)
file(WRITE ${shlibdeps_dir}/debian/control "")
execute_process(COMMAND ${QUILLON_SHLIBDEPS} -O ${quillon_elf_files}
                WORKING_DIRECTORY ${shlibdeps_dir}
                OUTPUT_VARIABLE found ERROR_VARIABLE why RESULT_VARIABLE failed
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REMOVE_RECURSE ${shlibdeps_dir})
if(failed OR NOT found MATCHES "^shlibs:Depends=(.+)$")
  message(FATAL_ERROR "dpkg-shlibdeps found no dependencies: ${why}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}, ${CPACK_QUILLON_DEPENDS}")
