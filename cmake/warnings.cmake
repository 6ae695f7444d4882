function(tarpon_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wimplicit-fallthrough -Wformat=2)
  # GCC 12 at -O3 reports std::string assignments as overlapping copies (a known
  # false positive of -Wrestrict in libstdc++'s inlined code).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(TARPON_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
