# Release builds (what the package ships) get glibc's checked string and memory
# functions and a read-only relocation table resolved at start-up. Debug and
# sanitizer builds are left alone: _FORTIFY_SOURCE needs optimization, and the
# fuzz build's sanitizers bring their own checks.
if(NOT TARPON_FUZZ)
  string(TOUPPER "${CMAKE_BUILD_TYPE}" _tarpon_build_type)
  if(_tarpon_build_type STREQUAL "RELEASE" AND NOT CMAKE_CXX_FLAGS_RELEASE MATCHES "-O[1-3sz]|-Ofast")
    message(WARNING "CMAKE_CXX_FLAGS_RELEASE has no -O level: _FORTIFY_SOURCE is left off")
  else()
    add_compile_options("$<$<CONFIG:Release>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  endif()
  add_link_options("$<$<CONFIG:Release>:LINKER:-z,relro;LINKER:-z,now>")
endif()
