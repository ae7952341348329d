# Installs into a temporary DESTDIR and validates the desktop entry and the
# metainfo that land there.
add_test(NAME packaging_install
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/packaging/check_install.sh ${CMAKE_BINARY_DIR})
set_tests_properties(packaging_install PROPERTIES TIMEOUT 120 LABELS e2e)
