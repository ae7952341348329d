# Unit tests of the Linux backend's pure helpers.
if(TARGET trayvane_linux)
    foreach(name tst_snihelpers tst_desktopentries tst_trayvanecontrol)
        qt_add_executable(${name} linux/${name}.cpp)
        target_link_libraries(${name} PRIVATE trayvane_linux Qt6::Test)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 60 LABELS unit
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;NO_AT_BRIDGE=1")
    endforeach()
endif()
