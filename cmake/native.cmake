# Native build: the portable core with sanitizers, its unit tests, and the system tests under Wine.
enable_testing()

set(HARMOLAB_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

add_library(harmolab_core STATIC ${HARMOLAB_CORE_SOURCES})
target_include_directories(harmolab_core PUBLIC "${CMAKE_SOURCE_DIR}")
target_compile_options(harmolab_core PUBLIC ${HARMOLAB_WARNINGS} ${HARMOLAB_SANITIZERS})
target_link_options(harmolab_core PUBLIC ${HARMOLAB_SANITIZERS})
find_package(Threads REQUIRED)
target_link_libraries(harmolab_core PUBLIC Threads::Threads)

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB_RECURSE HARMOLAB_UNIT_TESTS CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/tests/app/*_test.cpp"
    "${CMAKE_SOURCE_DIR}/tests/audio/*_test.cpp"
    "${CMAKE_SOURCE_DIR}/tests/display/*_test.cpp"
    "${CMAKE_SOURCE_DIR}/tests/wavetools/*_test.cpp"
    "${CMAKE_SOURCE_DIR}/tests/melodex/*_test.cpp")
# The Melodex tracking loop is portable; the library itself is built only for Windows.
add_executable(harmolab_tests ${HARMOLAB_UNIT_TESTS} "${CMAKE_SOURCE_DIR}/melodex/melodex_tracker.cpp")
target_link_libraries(harmolab_tests PRIVATE harmolab_core GTest::gtest_main)
gtest_discover_tests(harmolab_tests PROPERTIES LABELS unit)

# The tests that start threads run once more with the core under ThreadSanitizer, which cannot
# share a build with AddressSanitizer.
set(HARMOLAB_THREADED_TESTS "${CMAKE_SOURCE_DIR}/tests/app/worker_test.cpp"
    "${CMAKE_SOURCE_DIR}/tests/wavetools/alignment_search_test.cpp")
set(HARMOLAB_TSAN -fsanitize=thread -fno-omit-frame-pointer)
add_library(harmolab_core_tsan STATIC ${HARMOLAB_CORE_SOURCES})
target_include_directories(harmolab_core_tsan PUBLIC "${CMAKE_SOURCE_DIR}")
target_compile_options(harmolab_core_tsan PUBLIC ${HARMOLAB_WARNINGS} ${HARMOLAB_TSAN})
target_link_options(harmolab_core_tsan PUBLIC ${HARMOLAB_TSAN})
target_link_libraries(harmolab_core_tsan PUBLIC Threads::Threads)
add_executable(harmolab_tsan_tests ${HARMOLAB_THREADED_TESTS})
target_link_libraries(harmolab_tsan_tests PRIVATE harmolab_core_tsan GTest::gtest_main)
gtest_discover_tests(harmolab_tsan_tests TEST_PREFIX tsan. TEST_FILTER "-*AcrossReadBlocks*" PROPERTIES LABELS unit
    ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1")

add_executable(harmolab_analyze tools/analyze_wave.cpp)
target_link_libraries(harmolab_analyze PRIVATE harmolab_core)
add_test(NAME offline_analysis COMMAND "${CMAKE_SOURCE_DIR}/tests/tools/offline_analyze_test.sh" $<TARGET_FILE:harmolab_analyze>)
set_tests_properties(offline_analysis PROPERTIES LABELS unit)

add_executable(make_tuner_images tools/make_tuner_images.cpp)
target_include_directories(make_tuner_images PRIVATE "${CMAKE_SOURCE_DIR}")
target_compile_options(make_tuner_images PRIVATE ${HARMOLAB_WARNINGS})
add_test(NAME tuner_images COMMAND "${CMAKE_SOURCE_DIR}/tests/tools/tuner_images_test.sh" $<TARGET_FILE:make_tuner_images>)
set_tests_properties(tuner_images PROPERTIES LABELS unit)

add_test(NAME format COMMAND "${CMAKE_SOURCE_DIR}/tests/tools/format_check.sh" "${CMAKE_SOURCE_DIR}")
set_tests_properties(format PROPERTIES LABELS unit)

set(HARMOLAB_WINDOWS_DIR "${CMAKE_SOURCE_DIR}/build/windows" CACHE PATH "Build folder of the windows preset")
add_subdirectory(tests/system)
add_subdirectory(tests/fuzz)
add_subdirectory(bench)
