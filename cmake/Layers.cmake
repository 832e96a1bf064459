# A layer is a folder of sources that becomes one library target; its sources are
# found by glob so that adding a file needs no edit here.
function(quaverly_layer target folder)
  cmake_parse_arguments(L "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${folder}/*.cpp ${folder}/*.h)
  if(NOT sources)
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${L_LIBS})
endfunction()

# One test program per folder under tests/; each test case is its own ctest test.
function(quaverly_test_folder name folder)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} quaverly_test_support GTest::gtest GTest::gmock
    GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${name} ENVIRONMENT "QUAVERLY_PROGRAM_DIR=${QUAVERLY_PROGRAM_DIR};QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=disk;SDL_DISKAUDIODELAY=0"
    TIMEOUT 300)
endfunction()
