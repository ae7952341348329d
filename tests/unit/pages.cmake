# Unit tests of the settings, help and about pages' C++ parts and the login
# items behind the settings page.
function(trayvane_pages_test name)
    qt_add_executable(${name} pages/${name}.cpp)
    target_link_libraries(${name} PRIVATE ${ARGN} Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../fixtures)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 60 LABELS unit
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;NO_AT_BRIDGE=1")
endfunction()

trayvane_pages_test(tst_loginitemtoggle trayvane_ui)
if(TARGET trayvane_linux)
    trayvane_pages_test(tst_xdgautostart trayvane_linux)
endif()
