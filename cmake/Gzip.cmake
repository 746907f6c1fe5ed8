# cmake -DIN=file -DOUT=file.gz -P Gzip.cmake: compresses IN the way Debian wants it
# (best compression, no name or time stamp inside, so the result is reproducible).
execute_process(COMMAND gzip -9n -c ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "gzip ${IN} failed")
endif()
