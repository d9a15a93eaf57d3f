# Build step, run with cmake -P: -DGZIP=... -DSOURCE=file -DOUTPUT=file.gz. Debian wants
# the highest compression and no name or time in the header, so that builds are identical.
execute_process(COMMAND ${GZIP} -9 -n -c ${SOURCE} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip ${SOURCE} failed")
endif()
