# Writes the one source file a generated model is compiled from: an #include of every source that
# sangen --list-outputs names, in its order. Run by the build after sangen has generated:
#   cmake -DSANGEN=<sangen> -DYAML=<description> -DOUT=<file.cpp> [-DDEPFILE=<file.d>] -P KavrinUnity.cmake
# With DEPFILE it also writes the files the description is read from ('input PATH') as the
# dependencies of OUT, in the form make and ninja read.
execute_process(COMMAND ${SANGEN} --list-outputs ${YAML} OUTPUT_VARIABLE _list RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "${SANGEN} --list-outputs ${YAML} failed (${_status})")
endif()
set(_text "// The generated model of ${YAML} as one translation unit (written by the build).\n")
string(REPLACE "\n" ";" _lines "${_list}")
foreach(_line IN LISTS _lines)
  if(_line MATCHES "^source (.+)$")
    string(APPEND _text "#include \"${CMAKE_MATCH_1}\"\n")
  endif()
endforeach()
file(WRITE ${OUT} "${_text}")
if(DEFINED DEPFILE)
  set(_depends "")
  foreach(_line IN LISTS _lines)
    if(_line MATCHES "^input (.+)$")
      get_filename_component(_input "${CMAKE_MATCH_1}" ABSOLUTE)
      string(REPLACE " " "\\ " _input "${_input}")
      string(APPEND _depends " ${_input}")
    endif()
  endforeach()
  string(REPLACE " " "\\ " _target "${OUT}")
  file(WRITE ${DEPFILE} "${_target}:${_depends}\n")
endif()
