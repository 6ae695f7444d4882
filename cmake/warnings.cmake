function(tarpon_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wimplicit-fallthrough -Wformat=2)
  if(TARPON_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
