# Runs a study's description tool during the build:
#   cmake [-DEMULATOR=...] -DTOOL=... -DSIM=... -DPV=... -DKIND=... -DSTUDY=... -DLOG=... -P RunDescribe.cmake
# The tool's warnings about the model go to LOG so that they do not clutter the build; when the
# tool fails, the log holds the reason, so the build prints it instead of a bare error status.
# EMULATOR runs a cross-built tool (empty for a native build).
execute_process(COMMAND ${EMULATOR} ${TOOL} ${PV} ${KIND} ${STUDY} RESULT_VARIABLE _rc ERROR_FILE ${LOG})
if(NOT _rc EQUAL 0)
  file(READ ${LOG} _reason)
  string(STRIP "${_reason}" _reason)
  if(_reason STREQUAL "")
    set(_reason "(no message)")
  endif()
  message(FATAL_ERROR "The study description of ${SIM} could not be written (status ${_rc}):\n"
                      "${_reason}\n(also in ${LOG})")
endif()
