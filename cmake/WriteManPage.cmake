# cmake -DPROGRAM=velmora -DOUT=velmora.1 -P WriteManPage.cmake: the manual page
# is what the program itself writes for --man-page.
execute_process(COMMAND ${PROGRAM} --man-page OUTPUT_FILE ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "${PROGRAM} --man-page failed: ${result}")
endif()
