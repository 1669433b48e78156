# Warnings for our own code only; third-party headers come in as system includes.
#
# Warnings stop the build only when QUILLON_WERROR is on: our test command and CI turn it on,
# where the compiler and the flags are ours. A packager's or a user's build keeps it off, since
# another compiler or another optimisation level finds warnings of its own that should not stop
# the build.
option(QUILLON_WERROR "Treat the compiler's warnings in our own code as errors" OFF)

function(quillon_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wformat=2 -Wnon-virtual-dtor -Wold-style-cast
    # A unity build puts a test's fixture, kept in an anonymous namespace, in the same file as
    # other files' tests; GCC then warns about what is normal within one test file.
    $<$<BOOL:${CMAKE_UNITY_BUILD}>:-Wno-subobject-linkage>
    $<$<BOOL:${QUILLON_WERROR}>:-Werror>)
endfunction()
