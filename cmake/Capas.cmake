# One library per folder of src/, with its sources listed. A library offers its
# headers, under the folder's own name ("review/Depuracion.h"), to itself and to
# the libraries that link it, and to nobody else: each one gets an include
# folder of its own in the build tree holding links to its own headers only.
# So an include of a folder the library does not link, one above it or one
# beside it, is not found and the build stops there.
#
#   velmarion_capa(<target> <folder> FUENTES <files...> [USA <targets...>] [BASE <folder the names start from>])
#
# The folder is under src/ unless BASE says otherwise (the demo generator's
# tools/ is under the source root).
function(velmarion_capa nombre carpeta)
    cmake_parse_arguments(CAPA "" "BASE" "FUENTES;USA" ${ARGN})
    if(NOT CAPA_BASE)
        set(CAPA_BASE ${CMAKE_SOURCE_DIR}/src)
    endif()
    set(origen ${CAPA_BASE}/${carpeta})
    set(raiz ${CMAKE_BINARY_DIR}/cabeceras/${nombre})
    file(GLOB cabeceras CONFIGURE_DEPENDS ${origen}/*.h)
    file(REMOVE_RECURSE ${raiz})
    file(MAKE_DIRECTORY ${raiz}/${carpeta})
    foreach(cabecera IN LISTS cabeceras)
        get_filename_component(nombreCabecera ${cabecera} NAME)
        file(CREATE_LINK ${cabecera} ${raiz}/${carpeta}/${nombreCabecera} SYMBOLIC COPY_ON_ERROR)
    endforeach()
    if(CAPA_FUENTES)
        list(TRANSFORM CAPA_FUENTES PREPEND ${origen}/)
        add_library(${nombre} STATIC ${CAPA_FUENTES} ${cabeceras})
        target_include_directories(${nombre} PUBLIC ${raiz})
        target_link_libraries(${nombre} PUBLIC ${CAPA_USA})
    else()
        add_library(${nombre} INTERFACE)
        target_include_directories(${nombre} INTERFACE ${raiz})
        target_link_libraries(${nombre} INTERFACE ${CAPA_USA})
    endif()
endfunction()
