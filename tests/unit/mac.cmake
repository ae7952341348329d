# Unit tests of the macOS backend's portable parts, run on every platform.
foreach(name tst_accessibilitymirror tst_macvalues)
    qt_add_executable(${name} mac/${name}.cpp)
    target_link_libraries(${name} PRIVATE trayvane_mac_portable trayvane_core Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 60 LABELS unit)
endforeach()
