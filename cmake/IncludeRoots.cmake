# Each library's only public include directory is a folder of its own in the build tree that
# holds its source folder, so a library sees its own folder and the folders of the libraries it
# links, and no others: an include that runs against the layering does not compile. Includes
# keep their spelling ("book/PhoneBook.h"). The folder is a symbolic link to the sources; where no
# link can be made (Windows without developer mode) the headers are copied, and copied again
# whenever one of them changes.
function(numora_include_root target folder)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    set(source ${PROJECT_SOURCE_DIR}/${folder})
    set(entry ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    set(linked FALSE)
    if(IS_SYMLINK ${entry})
        file(READ_SYMLINK ${entry} points_to)
        if(points_to STREQUAL source)
            set(linked TRUE)
        else()
            # A link left by a source tree that moved; removing it leaves its target alone.
            file(REMOVE ${entry})
        endif()
    endif()
    if(NOT linked AND NOT IS_DIRECTORY ${entry})
        file(CREATE_LINK ${source} ${entry} RESULT result SYMBOLIC)
        if(result EQUAL 0)
            set(linked TRUE)
        endif()
    endif()
    if(NOT linked)
        file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${source} ${source}/*.h)
        foreach(header IN LISTS headers)
            configure_file(${source}/${header} ${entry}/${header} COPYONLY)
        endforeach()
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
