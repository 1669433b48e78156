# Warnings for our own code only; third-party headers come in as system includes.
function(quillon_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Werror -Wformat=2 -Wnon-virtual-dtor -Wold-style-cast)
endfunction()
