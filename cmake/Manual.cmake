# Writes a program's man page from its own --help and --version (help2man), in
# Spanish like the program, and its gzip -9n copy for the package.
#   cmake -DHELP2MAN=... -DPROGRAMA=bin/x -DNOMBRE=x -DRESUMEN="..." -DFECHA="diciembre de 2026"
#         -DVERSION=1.4.5 -DINCLUIR=file -DSALIDA=share/man/man1/x.1 -P Manual.cmake
# The help names the user's data folder: with HOME set to "~" the page shows
# "~/.local/share/Velmarion", not the folder of whoever built it.
cmake_policy(VERSION 3.25)
set(ENV{HOME} "~")
unset(ENV{XDG_DATA_HOME})
# help2man reads the program's UTF-8 in a UTF-8 locale but encodes its own
# arguments once more: texts with accents go in as markers, replaced below.
set(ENV{LC_ALL} C.UTF-8)
set(argumentos -L C.UTF-8 -N --no-discard-stderr -n "RESUMEN_DE_LA_ORDEN" -S "Velmarion ${VERSION}"
               -m "NOMBRE_DEL_MANUAL")
if(INCLUIR)
    list(APPEND argumentos -i "${INCLUIR}")
endif()
execute_process(COMMAND "${HELP2MAN}" ${argumentos} "${PROGRAMA}"
                OUTPUT_VARIABLE pagina RESULT_VARIABLE rc ERROR_VARIABLE errores)
if(NOT rc EQUAL 0 OR pagina STREQUAL "")
    message(FATAL_ERROR "help2man ${PROGRAMA}: ${errores}")
endif()

# help2man's own headings, date and usage line in Spanish (no Spanish locale is
# needed on the building machine).
string(REGEX REPLACE "\n\\.TH ([^ ]+) \"1\" \"[^\"]*\"" "\n.TH \\1 \"1\" \"${FECHA}\"" pagina "${pagina}")
string(REGEX REPLACE "\n\\.SH DESCRIPTION\nUso: ([^\n]*)\n" "\n.SH SINOPSIS\n\\1\n.SH DESCRIPCIÓN\n" pagina "${pagina}")
foreach(par "NAME;NOMBRE" "SYNOPSIS;SINOPSIS" "DESCRIPTION;DESCRIPCIÓN" "OPTIONS;OPCIONES"
            "COPYRIGHT;\"DERECHOS DE AUTOR\"" "AUTHOR;AUTOR" "\"REPORTING BUGS\";\"INFORMAR DE ERRORES\""
            "\"SEE ALSO\";\"VÉASE TAMBIÉN\"")
    list(GET par 0 en)
    list(GET par 1 es)
    string(REPLACE "\n.SH ${en}\n" "\n.SH ${es}\n" pagina "${pagina}")
endforeach()
string(REPLACE "RESUMEN_DE_LA_ORDEN" "${RESUMEN}" pagina "${pagina}")
string(REPLACE "NOMBRE_DEL_MANUAL" "Órdenes de usuario" pagina "${pagina}")
file(WRITE "${SALIDA}" "${pagina}")
execute_process(COMMAND gzip -9nc "${SALIDA}" OUTPUT_FILE "${SALIDA}.gz" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${SALIDA}")
endif()
