# cmake [-DSCDOC=scdoc] -DINPUT=FILE -DOUTPUT=FILE.gz -DEPOCH=SECONDS -P Document.cmake
# Compresses INPUT into OUTPUT with gzip -9n, turning it into a manual page with scdoc first
# when SCDOC is given. The page's date is EPOCH's, not the build's, so a rebuild gives the same
# bytes.
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
set(plain ${INPUT})
if(SCDOC)
  set(plain ${OUTPUT}.tmp)
  execute_process(COMMAND ${SCDOC} INPUT_FILE ${INPUT} OUTPUT_FILE ${plain} RESULT_VARIABLE failed)
  if(failed)
    file(REMOVE ${plain})
    message(FATAL_ERROR "scdoc could not read ${INPUT}")
  endif()
endif()
execute_process(COMMAND gzip -9n -c INPUT_FILE ${plain} OUTPUT_FILE ${OUTPUT}.part
                RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "gzip could not compress ${plain}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
if(SCDOC)
  file(REMOVE ${plain})
endif()
