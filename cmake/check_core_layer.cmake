# The layers of the core, checked on its includes. The core is compiled without a Qt
# include path; this also refuses an include of ui/ (which the shared src/ root would
# otherwise let through). The platform layer is the bottom one: its files include
# nothing of the core outside core/platform/. The Windows headers are included only by
# the Win32 implementations, so their macros (LoadString, MessageBox, MB_OK, IDOK and the
# like) never meet the core's own names.
# Run as: cmake -DSOURCES="a;b" -DSTAMP=file -P check_core_layer.cmake
set(bad "")
foreach(f IN LISTS SOURCES)
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](ui/|Q[A-Za-z]+)")
  foreach(l IN LISTS lines)
    string(APPEND bad "\n  ${f}: ${l}  (Qt or the window layer)")
  endforeach()
  if(f MATCHES "/src/core/platform/")
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"core/")
    foreach(l IN LISTS lines)
      if(NOT l MATCHES "\"core/platform/")
        string(APPEND bad "\n  ${f}: ${l}  (the platform layer includes only itself)")
      endif()
    endforeach()
  endif()
  if(NOT f MATCHES "/src/core/platform/win32/")
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*<[Ww]indows\\.h>")
    foreach(l IN LISTS lines)
      string(APPEND bad "\n  ${f}: ${l}  (Windows headers only in core/platform/win32/)")
    endforeach()
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "The core breaks its layers:${bad}")
endif()
file(TOUCH "${STAMP}")
