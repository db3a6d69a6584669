# Installs the build into a fresh prefix, then builds and runs a small
# program against it: once through find_package, once through pkg-config.
# Variables: BUILD_DIR, SOURCE_DIR, WORK_DIR, CXX_COMPILER, CXX_FLAGS,
# LINK_FLAGS, GENERATOR.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
  set(last_error "${err}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run("consumer configure" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package/consumer -B ${WORK_DIR}/build
    -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run("consumer build" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
# As on a machine without any display: no X, no Wayland, no runtime folder,
# no driver named for SDL. The library must neither need one nor complain.
set(headless --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=XDG_RUNTIME_DIR --unset=SDL_VIDEODRIVER)
run("consumer run" ${CMAKE_COMMAND} -E env ${headless} ${WORK_DIR}/build/consumer)
if(NOT last_output MATCHES "^ok" OR NOT last_error STREQUAL "")
  message(FATAL_ERROR "consumer (find_package) said: ${last_output}${last_error}")
endif()

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
  run("pkg-config" ${PKG_CONFIG} --cflags --libs tovtex)
  separate_arguments(pc_flags UNIX_COMMAND "${last_output}")
  separate_arguments(extra UNIX_COMMAND "${CXX_FLAGS} ${LINK_FLAGS}")
  run("pkg-config build" ${CXX_COMPILER} -std=c++20 ${extra} ${SOURCE_DIR}/tests/package/consumer/main.cpp
      ${pc_flags} -o ${WORK_DIR}/consumer_pc)
  run("consumer run (pkg-config)" ${CMAKE_COMMAND} -E env ${headless} ${WORK_DIR}/consumer_pc)
  if(NOT last_output MATCHES "^ok" OR NOT last_error STREQUAL "")
    message(FATAL_ERROR "consumer (pkg-config) said: ${last_output}${last_error}")
  endif()
endif()
