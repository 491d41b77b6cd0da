# Installs the built library into a temporary prefix, builds a consumer against the installed
# package and runs it.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGV}\n${out}\n${err}")
  endif()
  message("${out}")
endfunction()

run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix)
# A sanitized library needs the sanitizer runtimes; the package itself carries no such flags.
set(consumer_flags "")
if(SANITIZE)
  set(consumer_flags "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined")
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -DCMAKE_BUILD_TYPE=Debug ${consumer_flags})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer)

# The package gives only <corvane/...> paths: a generic name must not resolve.
file(WRITE ${WORK_DIR}/generic.cpp "#include \"platform/Types.h\"\n")
execute_process(COMMAND c++ -std=c++20 -fsyntax-only -I${WORK_DIR}/prefix/include ${WORK_DIR}/generic.cpp
                RESULT_VARIABLE generic_rc OUTPUT_QUIET ERROR_QUIET)
if(generic_rc EQUAL 0)
  message(FATAL_ERROR "the installed include path exposes platform/Types.h")
endif()
# Internal headers stay out of the installation.
file(GLOB_RECURSE internal ${WORK_DIR}/prefix/include/*_p.h)
if(internal)
  message(FATAL_ERROR "internal headers installed: ${internal}")
endif()
# The installed target carries no sanitizer flags.
file(GLOB targets ${WORK_DIR}/prefix/lib*/cmake/Corvane/CorvaneTargets*.cmake)
foreach(f IN LISTS targets)
  file(READ ${f} text)
  if(text MATCHES "fsanitize")
    message(FATAL_ERROR "${f} carries sanitizer flags")
  endif()
endforeach()
