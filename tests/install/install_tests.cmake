# The installed tree and the Debian package, checked from outside: one CTest test per
# tests/install/*_test.sh, labelled "install". Included by packaging/install.cmake after every
# program is registered, so the scripts learn which programs the tree must hold.
get_property(pixelsieve_programs GLOBAL PROPERTY PIXELSIEVE_INSTALLED_PROGRAMS)
string(REPLACE ";" " " pixelsieve_programs "${pixelsieve_programs}")

# The tree installs the test build's binaries, so they run with the sanitizers' settings.
set(install_test_env
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "PIXELSIEVE_BUILD_DIR=${CMAKE_BINARY_DIR}"
    "PIXELSIEVE_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    "PIXELSIEVE_VERSION=${PROJECT_VERSION}"
    "PIXELSIEVE_APP_ID=${PIXELSIEVE_APP_ID}"
    "PIXELSIEVE_PROGRAMS=${pixelsieve_programs}")

file(GLOB install_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/install/*_test.sh)
foreach(script ${install_scripts})
  get_filename_component(test_name ${script} NAME_WE)
  add_test(NAME install.${test_name} COMMAND bash ${script})
  set_tests_properties(install.${test_name} PROPERTIES
    ENVIRONMENT "${install_test_env}" TIMEOUT 300 LABELS install)
endforeach()
