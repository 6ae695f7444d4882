# Release builds (what the package ships) get the flags Debian's dpkg-buildflags
# gives a package: the strong stack protector, format-string checks that fail the
# build, glibc's checked string and memory functions, a position-independent
# executable and a read-only relocation table resolved at start-up
# (hardening-check passes on the binary; the packaging test checks it).
# Debug and sanitizer builds are left alone: _FORTIFY_SOURCE needs optimization,
# and the fuzz build's sanitizers bring their own checks.
if(NOT TARPON_FUZZ)
  include(CheckPIESupported)
  check_pie_supported(OUTPUT_VARIABLE _tarpon_pie_message LANGUAGES CXX)
  if(NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
    message(WARNING "the linker cannot make a position-independent executable: ${_tarpon_pie_message}")
  endif()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)

  add_compile_options("$<$<CONFIG:Release>:-fstack-protector-strong;-Wformat;-Werror=format-security>")
  # Stack-clash probes, which later Debian releases add and hardening-check looks
  # for. Control-flow protection (-fcf-protection) is left off: Debian 12's C
  # start-up files carry no IBT/SHSTK note, so no program linked here can have it.
  include(CheckCXXCompilerFlag)
  check_cxx_compiler_flag(-fstack-clash-protection TARPON_HAS_STACK_CLASH_PROTECTION)
  if(TARPON_HAS_STACK_CLASH_PROTECTION)
    add_compile_options("$<$<CONFIG:Release>:-fstack-clash-protection>")
  endif()
  string(TOUPPER "${CMAKE_BUILD_TYPE}" _tarpon_build_type)
  if(_tarpon_build_type STREQUAL "RELEASE" AND NOT CMAKE_CXX_FLAGS_RELEASE MATCHES "-O[1-3sz]|-Ofast")
    message(WARNING "CMAKE_CXX_FLAGS_RELEASE has no -O level: _FORTIFY_SOURCE is left off")
  else()
    add_compile_options("$<$<CONFIG:Release>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  endif()
  add_link_options("$<$<CONFIG:Release>:LINKER:-z,relro;LINKER:-z,now>")
endif()
