# Build step, run with cmake -P: turns one scdoc source into a gzipped manual page.
#   -DSCDOC=... -DGZIP=... -DSOURCE=page.1.scd -DOUTPUT=page.1.gz -DEPOCH=seconds
# scdoc dates its footer from SOURCE_DATE_EPOCH; gzip -n leaves out the name and time.
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_FILE ${page}
                RESULT_VARIABLE failed ERROR_VARIABLE messages)
if(failed OR messages)
  file(REMOVE ${page})
  message(FATAL_ERROR "scdoc ${SOURCE}: ${messages}")
endif()
execute_process(COMMAND ${GZIP} -9 -n -c ${page} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip ${page} failed")
endif()
