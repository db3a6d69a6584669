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

# The public image suites live beside the checkout (shared/testdata); a clone
# elsewhere on the machine finds them higher up or at the workspace root.
set(TOVLEN_TESTDATA "" CACHE PATH "Folder of the public image test suites")
if(NOT TOVLEN_TESTDATA)
  set(dir ${CMAKE_SOURCE_DIR})
  while(TRUE)
    if(EXISTS ${dir}/shared/testdata/README.md)
      set(TOVLEN_TESTDATA ${dir}/shared/testdata)
      break()
    endif()
    get_filename_component(parent ${dir} DIRECTORY)
    if(parent STREQUAL dir)
      break()
    endif()
    set(dir ${parent})
  endwhile()
  if(NOT TOVLEN_TESTDATA AND EXISTS /work/shared/testdata/README.md)
    set(TOVLEN_TESTDATA /work/shared/testdata)
  endif()
  if(NOT TOVLEN_TESTDATA)
    message(WARNING "shared/testdata not found: the public suite tests will fail")
  endif()
endif()

# One GoogleTest binary per test folder, registered with ctest.
function(tovlen_add_tests name dir)
  file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT found)
    return()
  endif()
  add_executable(${name} ${found})
  target_link_libraries(${name} PRIVATE ${ARGN} test_support GTest::gtest GTest::gtest_main)
  # gtest_discover_tests passes only the first entry of a list property, so
  # the one variable tests need from outside is the SDL driver; the folders
  # are compiled into test_support. Each test is labelled with its binary,
  # so a preset that builds some binaries runs just their tests.
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy" LABELS ${name}
    DISCOVERY_TIMEOUT 60)
endfunction()
