# The udev rule "70-kolventra.rules": one line per vendor/product ID of the
# shipped description packages, TAG+="uaccess" (the user logged in at the
# seat may open those hidraw nodes). Generated from the packages by
# kolventra_udevrule (tools/udevrule) after they have been generated.
# Included from resources/CMakeLists.txt, which defines KOLVENTRA_PROFILE_FILES.
#
# Where the rule is installed is decided at install time, from the prefix
# `cmake --install` is given (see InstallRule.cmake.in), unless
# KOLVENTRA_UDEV_RULES_DIR names a folder.

set(KOLVENTRA_UDEV_RULE ${PROJECT_BINARY_DIR}/udev/70-kolventra.rules)

set(_kolventra_packages ${KOLVENTRA_PROFILE_FILES})
list(FILTER _kolventra_packages INCLUDE REGEX "\\.(key|mou)$")
if(NOT _kolventra_packages)
  message(FATAL_ERROR "no shipped description packages to take the udev rule from")
endif()

add_custom_command(
  OUTPUT ${KOLVENTRA_UDEV_RULE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/udev
  COMMAND ${CMAKE_COMMAND} -E env ${KOLVENTRA_SANITIZER_ENV}
          $<TARGET_FILE:kolventra_udevrule> ${KOLVENTRA_UDEV_RULE} ${_kolventra_packages}
  DEPENDS kolventra_udevrule ${_kolventra_packages}
  COMMENT "Generating the udev rule of the shipped models"
  VERBATIM)
add_custom_target(kolventra_udev_rule ALL DEPENDS ${KOLVENTRA_UDEV_RULE})

# Earlier configures chose the folder themselves and kept their choice in
# the cache, where it would now override the decision at install time. Only
# such automatic values are dropped; a folder someone gave stays.
get_property(_kolventra_udev_doc CACHE KOLVENTRA_UDEV_RULES_DIR PROPERTY HELPSTRING)
if(_kolventra_udev_doc STREQUAL "Where the udev rule is installed (relative paths are below the installation prefix)"
   AND KOLVENTRA_UDEV_RULES_DIR MATCHES "^(lib/udev/rules\\.d|/etc/udev/rules\\.d)$")
  unset(KOLVENTRA_UDEV_RULES_DIR CACHE)
endif()
set(KOLVENTRA_UDEV_RULES_DIR "" CACHE PATH
    "Folder the udev rule is installed to (relative: below the installation prefix); empty: chosen at install time from the prefix")

configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallRule.cmake.in ${PROJECT_BINARY_DIR}/udev/InstallRule.cmake @ONLY)
install(SCRIPT ${PROJECT_BINARY_DIR}/udev/InstallRule.cmake)

# The device tests check the generated rule against the shipped models.
function(kolventra_add_udev_rule_dependency)
  if(TARGET test_Device)
    add_dependencies(test_Device kolventra_udev_rule)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kolventra_add_udev_rule_dependency)
