# Quick Test runner for the settings, help and about pages, one CTest test per
# page file.
qt_add_executable(tst_pages_qml pages/main.cpp)
target_link_libraries(tst_pages_qml PRIVATE trayvane_ui trayvane_uiplugin Qt6::QuickTest Qt6::Gui)
target_compile_definitions(tst_pages_qml PRIVATE QUICK_TEST_SOURCE_DIR="${CMAKE_CURRENT_LIST_DIR}/pages")

set(pages_runtime_dir ${CMAKE_CURRENT_BINARY_DIR}/pages-runtime)
file(MAKE_DIRECTORY ${pages_runtime_dir})
file(CHMOD ${pages_runtime_dir} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

foreach(page settingsview helpview aboutview)
    add_test(NAME tst_pages_qml_${page}
        COMMAND tst_pages_qml -input ${CMAKE_CURRENT_LIST_DIR}/pages/tst_${page}.qml
                -import ${CMAKE_BINARY_DIR}/qml)
    set_tests_properties(tst_pages_qml_${page} PROPERTIES TIMEOUT 120 LABELS qml
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;NO_AT_BRIDGE=1;XDG_RUNTIME_DIR=${pages_runtime_dir};QT_QUICK_BACKEND=software")
endforeach()

# Screenshots of the three pages, light and dark, through the real panel; built
# on demand: cmake --build <dir> --target pages_screenshots, then run it with
# the output folder (docs/screenshots).
qt_add_executable(pages_screenshots EXCLUDE_FROM_ALL pages/screenshots.cpp)
target_link_libraries(pages_screenshots PRIVATE trayvane_ui trayvane_uiplugin Qt6::Quick)
