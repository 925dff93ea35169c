# Writes what a program prints to a file, or a file's gzip -9n copy (no name,
# no time stamp inside: the same bytes on every build).
#   cmake -DPROGRAMA=prog -DARGUMENTO=--opcion -DSALIDA=file -P Salida.cmake
#   cmake -DCOMPRIMIR=file -DSALIDA=file.gz -P Salida.cmake
if(COMPRIMIR)
    execute_process(COMMAND gzip -9nc "${COMPRIMIR}" OUTPUT_FILE "${SALIDA}" RESULT_VARIABLE rc)
else()
    execute_process(COMMAND "${PROGRAMA}" ${ARGUMENTO} OUTPUT_FILE "${SALIDA}" RESULT_VARIABLE rc)
endif()
if(NOT rc EQUAL 0)
    file(REMOVE "${SALIDA}")
    message(FATAL_ERROR "${PROGRAMA}${COMPRIMIR}: ${rc}")
endif()
