# Unit tests of the panel's C++ pieces: the item list model, the user settings
# and the symbol table.
function(trayvane_panel_test name)
    qt_add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/panel/${name}.cpp)
    target_link_libraries(${name} PRIVATE trayvane_core trayvane_ui Qt6::Test)
    target_compile_definitions(${name} PRIVATE TRAYVANE_VIEWS_DIR="${PROJECT_SOURCE_DIR}/src/Views")
    trayvane_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 60 LABELS unit ENVIRONMENT "QT_QPA_PLATFORM=offscreen;NO_AT_BRIDGE=1")
endfunction()

trayvane_panel_test(tst_itemlistmodel)
trayvane_panel_test(tst_usersettings)
trayvane_panel_test(tst_symbols)
trayvane_panel_test(tst_colorscheme)
