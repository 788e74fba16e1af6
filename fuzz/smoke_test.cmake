# Registers the fuzz smoke run (scripts/fuzz --smoke: every kept input, then about 30 s of
# fuzzing in all) as one CTest test labelled "fuzz", built with clang in its own folder inside
# the calling build. Include it from tests/CMakeLists.txt. A missing clang fails the test.
add_test(NAME fuzz.smoke
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz --smoke --jobs 2
                 --build-dir ${CMAKE_BINARY_DIR}/fuzz-smoke)
set_tests_properties(fuzz.smoke PROPERTIES LABELS fuzz TIMEOUT 1800)
