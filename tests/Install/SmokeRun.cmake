# Runs the test application program in its smoke mode and judges the run:
#
#   cmake -DAPP=<program> -DOUT_DIR=<folder>
#         -DLIMIT=<seconds> -DTIMEOUT=<coreutils timeout> -DIMAGE_CHECK=<checker>
#         [-DXVFB_RUN=<xvfb-run> | -DWAYLAND_RUN=<wayland-run.sh> -DWESTON=<weston>]
#         [-DPLATFORM=<plugin>] [-DSCREEN=WxHxD] [-DMIN_SIZE=WxH] -P SmokeRun.cmake
#
# The program runs as `APP --smoke OUT_DIR` under `xvfb-run -a` (a real X
# server), or under wayland-run.sh (a headless Wayland compositor, with only
# WAYLAND_DISPLAY set), or directly, killed after LIMIT seconds. The run fails
# when the program exits non-zero or does not finish, when its output holds a
# sanitizer report, when OUT_DIR/smoke.png is missing or blank, or, with
# PLATFORM, when the program does not say it ran on that platform plugin.
# Every failure message starts with "smoke:" and names its cause.

foreach(var APP OUT_DIR LIMIT TIMEOUT IMAGE_CHECK)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "smoke: ${var} is not given")
  endif()
endforeach()
if(NOT SCREEN)
  set(SCREEN 1600x1200x24)
endif()
if(NOT MIN_SIZE)
  set(MIN_SIZE 320x240)
endif()

# A screenshot of an earlier run must never pass for this one.
file(REMOVE_RECURSE ${OUT_DIR})
file(MAKE_DIRECTORY ${OUT_DIR})

set(command ${TIMEOUT} --kill-after=5 ${LIMIT} ${APP} --smoke ${OUT_DIR})
if(XVFB_RUN)
  set(command ${XVFB_RUN} -a -s "-screen 0 ${SCREEN}" ${command})
elseif(WAYLAND_RUN)
  set(command ${WAYLAND_RUN} ${WESTON} ${command})
endif()

# xvfb-run -a picks the first display number without a lock file; a second X
# server started at the same moment (another test run on this machine) can
# take it first, and then this one fails to start. Only that is tried again.
math(EXPR outer_limit "${LIMIT} + 30")
foreach(attempt 1 2 3)
  execute_process(COMMAND ${command}
                  RESULT_VARIABLE status
                  OUTPUT_VARIABLE output
                  ERROR_VARIABLE output
                  TIMEOUT ${outer_limit})
  message("${output}")
  if(NOT output MATCHES "Xvfb failed to start")
    break()
  endif()
  message("smoke: the X server did not start (attempt ${attempt}), trying again")
endforeach()

if(status STREQUAL "124" OR status STREQUAL "137" OR status MATCHES "timeout")
  message(FATAL_ERROR "smoke: the application did not finish within ${LIMIT} s")
endif()
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "smoke: the application exited with status ${status}")
endif()
if(PLATFORM AND NOT output MATCHES "smoke: ok on ${PLATFORM},")
  message(FATAL_ERROR "smoke: the window was not shown on the ${PLATFORM} platform")
endif()
foreach(report "ERROR: AddressSanitizer" "ERROR: LeakSanitizer" "runtime error:")
  string(FIND "${output}" "${report}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "smoke: sanitizer report in the output (${report})")
  endif()
endforeach()

set(shot ${OUT_DIR}/smoke.png)
if(NOT EXISTS ${shot})
  message(FATAL_ERROR "smoke: no screenshot ${shot}")
endif()
execute_process(COMMAND ${IMAGE_CHECK} ${shot} --min-size ${MIN_SIZE}
                RESULT_VARIABLE image_status
                OUTPUT_VARIABLE image_output
                ERROR_VARIABLE image_output)
message("${image_output}")
if(NOT image_status EQUAL 0)
  message(FATAL_ERROR "smoke: the screenshot is not usable")
endif()
message("smoke: passed")
