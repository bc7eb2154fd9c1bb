# The platform layer's one rule for system-specific sources: X.h is portable, X.cpp (if any) holds
# what is the same everywhere, XPosix.cpp and XWindows.cpp the rest. Given every source of a
# target, kavrin_platform_sources keeps those of the system being built for.
function(kavrin_platform_sources out)
  set(kept)
  foreach(f ${ARGN})
    if(WIN32 AND f MATCHES "Posix\\.cpp$")
      continue()
    elseif(NOT WIN32 AND f MATCHES "Windows\\.cpp$")
      continue()
    endif()
    list(APPEND kept ${f})
  endforeach()
  set(${out} ${kept} PARENT_SCOPE)
endfunction()
