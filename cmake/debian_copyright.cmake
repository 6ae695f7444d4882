# Writes the package's copyright file in the Debian machine-readable format
# from LICENSE, so that the licence text lives in one place.
#   cmake -DLICENSE=<LICENSE> -DOUT=<copyright> -P debian_copyright.cmake
file(READ "${LICENSE}" text)
string(FIND "${text}" "Permission is hereby granted" start)
if(start LESS 0)
  message(FATAL_ERROR "${LICENSE}: no MIT permission notice found")
endif()
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${text}")
set(holder "${CMAKE_MATCH_1}")
if(NOT holder)
  message(FATAL_ERROR "${LICENSE}: no copyright line found")
endif()
string(SUBSTRING "${text}" ${start} -1 body)
string(STRIP "${body}" body)
# Continuation lines start with a space; an empty line becomes " .".
string(REPLACE "\n\n" "\n.\n" body "${body}")
string(REPLACE "\n" "\n " body "${body}")
file(WRITE "${OUT}"
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: tarpon-hex\n"
  "Upstream-Contact: Tarpon's Hex developers <maintainers@tarpon-hex.org>\n"
  "\n"
  "Files: *\n"
  "Copyright: ${holder}\n"
  "License: Expat\n"
  " ${body}\n")
