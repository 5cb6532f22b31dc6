# Generators that run on the build machine: the cross build compiles them with the host compiler.
find_program(HARMOLAB_HOST_CXX NAMES g++ c++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)

# harmolab_host_tool(NAME SOURCE...) builds ${CMAKE_BINARY_DIR}/host/NAME from the given sources.
function(harmolab_host_tool name)
    set(sources ${ARGN})
    list(TRANSFORM sources PREPEND "${CMAKE_SOURCE_DIR}/")
    set(exe "${CMAKE_BINARY_DIR}/host/${name}")
    add_custom_command(
        OUTPUT "${exe}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/host"
        COMMAND "${HARMOLAB_HOST_CXX}" -std=c++17 -O2 -Wall -Wextra -I "${CMAKE_SOURCE_DIR}" ${sources} -o "${exe}"
        DEPENDS ${sources}
        COMMENT "Building host tool ${name}"
        VERBATIM)
    set(HOST_TOOL_${name} "${exe}" PARENT_SCOPE)
endfunction()
