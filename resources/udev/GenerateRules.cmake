# The udev rule "70-kolventra.rules": one line per vendor/product ID of the
# shipped description packages, TAG+="uaccess" (the user logged in at the
# seat may open those hidraw nodes). Generated from the packages by
# kolventra_udevrule (tools/udevrule) after they have been generated.
# Included from resources/CMakeLists.txt, which defines KOLVENTRA_PROFILE_FILES.
#
# udev reads rules from /etc/udev/rules.d and <prefix>/lib/udev/rules.d with
# the prefix /usr; for any other installation prefix the rule goes to
# /etc/udev/rules.d unless KOLVENTRA_UDEV_RULES_DIR says otherwise.

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

if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(_kolventra_udev_dir "lib/udev/rules.d")
else()
  set(_kolventra_udev_dir "/etc/udev/rules.d")
endif()
set(KOLVENTRA_UDEV_RULES_DIR "${_kolventra_udev_dir}" CACHE PATH
    "Where the udev rule is installed (relative paths are below the installation prefix)")
install(FILES ${KOLVENTRA_UDEV_RULE} DESTINATION ${KOLVENTRA_UDEV_RULES_DIR})

# The device tests check the generated rule against the shipped models.
function(kolventra_add_udev_rule_dependency)
  if(TARGET test_Device)
    add_dependencies(test_Device kolventra_udev_rule)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kolventra_add_udev_rule_dependency)
