# End-to-end tests of the Linux backend: the real trayvane binary with real
# tray clients and desktop trays on a private session bus and X server.
include(${CMAKE_CURRENT_SOURCE_DIR}/../fixtures/sni_client.cmake)

if(TARGET trayvane_sni_client)
    foreach(scenario discovery activation watcher foreign_watcher xfce xembed)
        add_test(NAME e2e_linux_${scenario}
            COMMAND dbus-run-session -- /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/linux/e2e_linux.py ${scenario}
                --trayvane $<TARGET_FILE:trayvane>
                --client $<TARGET_FILE:trayvane_sni_client>
                --qt-client $<TARGET_FILE:trayvane_qt_tray_client>
                --ayatana ${CMAKE_CURRENT_SOURCE_DIR}/../fixtures/ayatana_client.py)
        set_tests_properties(e2e_linux_${scenario} PROPERTIES TIMEOUT 120 LABELS e2e
            ENVIRONMENT "NO_AT_BRIDGE=1")
    endforeach()
endif()
