# Each folder's sources are collected by glob, so adding a file to a
# subsystem needs no edit here.
function(tovlen_sources out)
  set(files)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# One GoogleTest binary per test folder, registered with ctest.
function(tovlen_add_tests name dir)
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT found)
    return()
  endif()
  add_executable(${name} ${found})
  target_link_libraries(${name} PRIVATE ${ARGN} test_support GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;TOVLEN_SOURCE_DIR=${CMAKE_SOURCE_DIR};TOVLEN_TESTDATA=${CMAKE_SOURCE_DIR}/../shared/testdata"
    DISCOVERY_TIMEOUT 60)
endfunction()
