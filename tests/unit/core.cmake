# Unit tests of the service core against the scripted platform.
function(trayvane_core_test name)
    qt_add_executable(${name} core/${name}.cpp)
    target_link_libraries(${name} PRIVATE trayvane_core Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../fixtures)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 60 LABELS unit ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

trayvane_core_test(tst_menubaritem)
trayvane_core_test(tst_orderstore)
trayvane_core_test(tst_ordermerge)
trayvane_core_test(tst_menubarservice)
trayvane_core_test(tst_orderfilefailures)
