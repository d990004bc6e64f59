# Installs the build and checks what lands where: every expected file and
# nothing else (no test program, no build leftovers), nothing outside the
# installation, installed copies identical to what the build made, the udev
# rule in the folder the prefix calls for, a valid desktop entry that starts
# the program by name and AppStream metainfo named after the application id
# and naming each other, the icon at each size of the hicolor theme.
#
#   cmake -DCONFIG=<InstallExpect.cmake written by CMakeLists.txt>
#         -DPREFIX=<prefix given to cmake --install> -DRULES_DIR=<folder of the rule>
#         [-DSTAGE=<DESTDIR>] [-DUNPRIVILEGED=ON] [-DNOTE=ON] -P CheckInstall.cmake
#
# With STAGE the installation goes into that staging folder (DESTDIR). With
# UNPRIVILEGED it goes straight into PREFIX, a scratch folder of the test,
# as an ordinary user: the one running the test, or, when that is root, the
# user "nobody" through setpriv (the case is skipped when there is none).
# NOTE: the installation must print the line on putting the rule in place.
# RUN_TARGETS_FROM=<Makefile>: first the generated files the installation
# copies are removed and only the Makefile's RUN_TARGETS (what `make run`
# builds) are built, as in a build folder that only `make run` made.

if(NOT CONFIG OR NOT EXISTS "${CONFIG}")
  message(FATAL_ERROR "install: CONFIG is not given")
endif()
include(${CONFIG})
if(NOT PREFIX OR NOT RULES_DIR)
  message(FATAL_ERROR "install: PREFIX and RULES_DIR must be given")
endif()
# Never install into the live system by accident: a staging folder, or a
# scratch prefix inside the build folder.
if(UNPRIVILEGED)
  string(FIND "${PREFIX}" "${BUILD_DIR}/" at)
  if(NOT at EQUAL 0 OR STAGE)
    message(FATAL_ERROR "install: an unprivileged installation goes into a scratch prefix in ${BUILD_DIR}")
  endif()
  set(ROOT "")
  set(INSTALL_DIR "${PREFIX}")
elseif(NOT STAGE OR STAGE STREQUAL "/")
  message(FATAL_ERROR "install: no staging folder")
else()
  set(ROOT "${STAGE}")
  set(INSTALL_DIR "${STAGE}")
endif()

set(problems)
macro(problem text)
  list(APPEND problems "${text}")
  message("install: ${text}")
endmacro()

if(RUN_TARGETS_FROM)
  file(STRINGS "${RUN_TARGETS_FROM}" targets REGEX "^RUN_TARGETS[ \t]*=")
  string(REGEX REPLACE "^RUN_TARGETS[ \t]*=" "" targets "${targets}")
  separate_arguments(targets UNIX_COMMAND "${targets}")
  if(NOT targets)
    message(FATAL_ERROR "install: ${RUN_TARGETS_FROM} names no RUN_TARGETS")
  endif()
  file(GLOB generated "${BUILD_DIR}/share/kolventra/Profile/*")
  file(REMOVE ${generated} "${BUILD_DIR}/udev/70-kolventra.rules")
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${targets}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message("${output}")
    message(FATAL_ERROR "install: building ${targets} failed (${status})")
  endif()
endif()

file(REMOVE_RECURSE ${INSTALL_DIR})
file(MAKE_DIRECTORY ${INSTALL_DIR})
set(command ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
if(UNPRIVILEGED)
  execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(uid STREQUAL "0")
    execute_process(COMMAND id -u nobody OUTPUT_VARIABLE nobody_uid RESULT_VARIABLE nobody_status
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND id -g nobody OUTPUT_VARIABLE nobody_gid
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT SETPRIV OR NOT nobody_status EQUAL 0)
      message("install: skipped: running as root, with no setpriv or no user nobody to install as")
      return()
    endif()
    # The scratch prefix is nobody's; of the build folder, which is root's,
    # the installation writes only its manifest.
    execute_process(COMMAND chown ${nobody_uid}:${nobody_gid} ${PREFIX} RESULT_VARIABLE s1)
    file(TOUCH ${BUILD_DIR}/install_manifest.txt)
    execute_process(COMMAND chown ${nobody_uid}:${nobody_gid} ${BUILD_DIR}/install_manifest.txt RESULT_VARIABLE s2)
    if(NOT s1 EQUAL 0 OR NOT s2 EQUAL 0)
      message(FATAL_ERROR "install: cannot hand the scratch prefix to nobody")
    endif()
    list(PREPEND command ${SETPRIV} --reuid=${nobody_uid} --regid=${nobody_gid} --clear-groups)
    execute_process(COMMAND ${SETPRIV} --reuid=${nobody_uid} --regid=${nobody_gid} --clear-groups
                            test -r ${BUILD_DIR}/cmake_install.cmake RESULT_VARIABLE readable)
    if(NOT readable EQUAL 0)
      message("install: skipped: the user nobody cannot read the build folder ${BUILD_DIR}")
      return()
    endif()
  endif()
else()
  list(PREPEND command ${CMAKE_COMMAND} -E env DESTDIR=${STAGE})
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message("${output}")
  message(FATAL_ERROR "install: cmake --install failed (${status})")
endif()

# Nothing is written outside the installation.
string(REGEX MATCHALL "-- (Installing|Up-to-date): [^\n]*" reported "${output}")
if(NOT reported)
  problem("the installation reported no file")
endif()
foreach(line ${reported})
  string(REGEX REPLACE "^-- [^:]*: " "" path "${line}")
  string(FIND "${path}" "${INSTALL_DIR}/" at)
  if(NOT at EQUAL 0)
    problem("${path} is installed outside ${INSTALL_DIR}")
  endif()
endforeach()

# The line on putting the rule in place, printed when the rule is where
# udev does not read it, and only then; a shell reads the rule's path in it
# back as one word, whatever the prefix holds.
if(NOT output MATCHES "sudo install -m 644 ([^\n]*) /etc/udev/rules\\.d/ &&")
  if(NOTE)
    problem("no line on putting the rule in place: ${output}")
  endif()
elseif(NOT NOTE)
  problem("a line on putting the rule in place, though it is where udev reads it")
else()
  execute_process(COMMAND sh -c "printf '%s\\n' ${CMAKE_MATCH_1}" OUTPUT_VARIABLE pasted)
  if(NOT pasted STREQUAL "${RULES_DIR}/70-kolventra.rules\n")
    problem("the shell reads the rule's path as '${pasted}'")
  endif()
endif()

# Folders below the prefix, as GNUInstallDirs gave them at configure time.
foreach(var BINDIR DATADIR)
  if(NOT IS_ABSOLUTE "${${var}}")
    set(${var} "${PREFIX}/${${var}}")
  endif()
endforeach()

# What must be installed: pairs of (installed path, file it copies or "-").
set(expect_paths)
set(expect_sources)
macro(expect path source)
  list(APPEND expect_paths "${path}")
  list(APPEND expect_sources "${source}")
endmacro()

if(HAVE_EXECUTABLE)
  expect("${BINDIR}/${EXEC_NAME}" "-")
endif()
file(GLOB data_files LIST_DIRECTORIES false "${BUILD_DIR}/share/kolventra/Profile/*")
if(NOT data_files)
  problem("the build made no shipped data in ${BUILD_DIR}/share/kolventra/Profile")
endif()
foreach(f ${data_files})
  get_filename_component(name ${f} NAME)
  expect("${DATADIR}/kolventra/Profile/${name}" "${f}")
endforeach()
expect("${RULES_DIR}/70-kolventra.rules" "${BUILD_DIR}/udev/70-kolventra.rules")
set(desktop "${DATADIR}/applications/${APP_ID}.desktop")
set(metainfo "${DATADIR}/metainfo/${APP_ID}.metainfo.xml")
expect("${desktop}" "${DESKTOP_FILE}")
expect("${metainfo}" "${METAINFO_FILE}")
set(icon_index 0)
foreach(size ${ICON_SIZES})
  if(ICON_FILES)
    list(GET ICON_FILES ${icon_index} icon_source)
    expect("${DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png" "${icon_source}")
  endif()
  math(EXPR icon_index "${icon_index} + 1")
endforeach()

# Every expected file is there with the content the build made...
list(LENGTH expect_paths count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET expect_paths ${i} path)
  list(GET expect_sources ${i} source)
  if(NOT EXISTS "${ROOT}${path}")
    problem("${path} is not installed")
  elseif(NOT source STREQUAL "-")
    file(SHA256 "${ROOT}${path}" installed_hash)
    file(SHA256 "${source}" source_hash)
    if(NOT installed_hash STREQUAL source_hash)
      problem("${path} differs from ${source}")
    endif()
  endif()
endforeach()

# ...and nothing else is.
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE "${INSTALL_DIR}" "${INSTALL_DIR}/*")
foreach(path ${staged})
  if(UNPRIVILEGED)
    set(path "${PREFIX}/${path}")
  else()
    set(path "/${path}")
  endif()
  list(FIND expect_paths "${path}" at)
  if(at EQUAL -1)
    problem("${path} is installed but should not be")
  endif()
endforeach()

# The desktop entry and the metainfo pass their validators as installed and
# point at the installed program, icon and each other.
if(EXISTS "${ROOT}${desktop}")
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} "${ROOT}${desktop}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0 OR output MATCHES "(error|warning):")
    problem("desktop-file-validate: ${output}")
  endif()
  file(STRINGS "${ROOT}${desktop}" lines)
  set(exec_value)
  set(tryexec_value)
  set(icon_value)
  foreach(line ${lines})
    if(line MATCHES "^Exec=(.*)$")
      set(exec_value "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^TryExec=(.*)$")
      set(tryexec_value "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^Icon=(.*)$")
      set(icon_value "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  # By name, found on the PATH: a path would tie the entry to one prefix.
  foreach(key Exec TryExec)
    string(TOLOWER "${key}" k)
    if(NOT ${k}_value STREQUAL EXEC_NAME)
      problem("the desktop entry's ${key} is '${${k}_value}', not the program name ${EXEC_NAME}")
    endif()
  endforeach()
  if(NOT icon_value STREQUAL APP_ID)
    problem("the desktop entry names the icon '${icon_value}', not ${APP_ID}")
  endif()
endif()
if(EXISTS "${ROOT}${metainfo}")
  # validate-tree also finds the desktop entry the metainfo launches.
  execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net --strict "${ROOT}${PREFIX}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    problem("appstreamcli validate-tree: ${output}")
  endif()
  file(READ "${ROOT}${metainfo}" text)
  if(NOT text MATCHES "<id>${APP_ID}</id>")
    problem("the metainfo component id is not ${APP_ID}")
  endif()
  if(NOT text MATCHES "<launchable type=\"desktop-id\">${APP_ID}\\.desktop</launchable>")
    problem("the metainfo does not launch ${APP_ID}.desktop")
  endif()
  if(NOT text MATCHES "<binary>${EXEC_NAME}</binary>")
    problem("the metainfo does not provide the program ${EXEC_NAME}")
  endif()
endif()

# Each icon has its theme size and is drawn.
if(ICON_FILES)
  foreach(size ${ICON_SIZES})
    set(icon "${ROOT}${DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
    if(EXISTS "${icon}")
      execute_process(COMMAND ${IMAGE_CHECK} "${icon}" --size ${size}x${size}
                      RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
      if(NOT status EQUAL 0)
        problem("icon ${size}: ${output}")
      endif()
    endif()
  endforeach()
else()
  message("install: no application icon configured (KOLVENTRA_APP_ICON_DIR); icons not checked")
endif()

list(LENGTH problems problem_count)
if(problem_count GREATER 0)
  message(FATAL_ERROR "install: ${problem_count} problem(s)")
endif()
list(LENGTH staged staged_count)
message("install: ${staged_count} files installed as expected")
