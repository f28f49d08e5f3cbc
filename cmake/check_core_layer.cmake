# The core must stay free of Qt and of the window layer: the core is compiled without a
# Qt include path, and this refuses an include of ui/ (which the shared src/ root would
# otherwise let through). Run as: cmake -DSOURCES="a;b" -DSTAMP=file -P check_core_layer.cmake
set(bad "")
foreach(f IN LISTS SOURCES)
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](ui/|Q[A-Za-z]+)")
  foreach(l IN LISTS lines)
    string(APPEND bad "\n  ${f}: ${l}")
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "The core includes the window layer or Qt:${bad}")
endif()
file(TOUCH "${STAMP}")
