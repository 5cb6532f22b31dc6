# The Melodex library and the ordinal-only import library the program links with.
add_library(Melodex SHARED
    melodex/melodex_win.cpp
    melodex/melodex_tracker.cpp
    melodex/melodex.def
    melodex/melodex.rc
    audio/wave_in_device_win.cpp
    audio/capture_engine.cpp
    audio/spectra.cpp
    audio/sine_transform.cpp)
target_include_directories(Melodex PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/resources" "${HARMOLAB_RESOURCE_DIR}")
target_compile_options(Melodex PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${HARMOLAB_WARNINGS} ${HARMOLAB_WIN_FLAGS}>)
set_property(SOURCE melodex/melodex.rc APPEND PROPERTY OBJECT_DEPENDS ${HARMOLAB_VERSION_FILES}
             "${CMAKE_SOURCE_DIR}/resources/version_info.rc")
target_link_options(Melodex PRIVATE -static)
target_link_libraries(Melodex PRIVATE winmm)
set_target_properties(Melodex PROPERTIES PREFIX "" OUTPUT_NAME Melodex RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")

find_program(HARMOLAB_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
set(MELODEX_ORDINAL_LIB "${CMAKE_BINARY_DIR}/libmelodex_ordinals.a")
add_custom_command(
    OUTPUT "${MELODEX_ORDINAL_LIB}"
    COMMAND "${HARMOLAB_DLLTOOL}" -d "${CMAKE_SOURCE_DIR}/melodex/melodex_ordinals.def" -l "${MELODEX_ORDINAL_LIB}"
    DEPENDS "${CMAKE_SOURCE_DIR}/melodex/melodex_ordinals.def"
    COMMENT "Import library binding Melodex by ordinal"
    VERBATIM)
add_custom_target(melodex_ordinals DEPENDS "${MELODEX_ORDINAL_LIB}" Melodex)
