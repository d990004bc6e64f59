# Configures the source tree into an empty scratch folder and fails when the
# configure reports a failed search or a warning: what it prints on a
# complete set-up should all be true and nothing should read as a failure.
#
#   cmake -DSOURCE_DIR=<tree> -DBINARY_DIR=<scratch> -DGENERATOR=<generator>
#         -DCXX=<compiler> -P FreshConfigure.cmake

foreach(var SOURCE_DIR BINARY_DIR GENERATOR CXX)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "configure: ${var} is not given")
  endif()
endforeach()

file(REMOVE_RECURSE ${BINARY_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G ${GENERATOR}
                        -DCMAKE_CXX_COMPILER=${CXX}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REMOVE_RECURSE ${BINARY_DIR})
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configure: failed (${status})")
endif()
set(found)
foreach(pattern "Could NOT find[^\n]*" "CMake Warning[^\n]*")
  string(REGEX MATCHALL "${pattern}" lines "${output}")
  list(APPEND found ${lines})
endforeach()
if(found)
  list(JOIN found "\n  " found)
  message(FATAL_ERROR "configure: reports what reads as a failure:\n  ${found}")
endif()
message("configure: nothing reported as failed")
