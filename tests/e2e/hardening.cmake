# Hostile peers and a start-up race against the real trayvane binary, each on
# a private session bus and X server.
include(${CMAKE_CURRENT_SOURCE_DIR}/../fixtures/sni_client.cmake)

if(TARGET trayvane_sni_client)
    foreach(scenario peers menu flood race markup bomb hostflood bogus squat)
        add_test(NAME e2e_hardening_${scenario}
            COMMAND dbus-run-session -- /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/hardening/e2e_hardening.py
                ${scenario}
                --trayvane $<TARGET_FILE:trayvane>
                --client $<TARGET_FILE:trayvane_sni_client>
                --qt-client $<TARGET_FILE:trayvane_qt_tray_client>
                --ayatana ${CMAKE_CURRENT_SOURCE_DIR}/../fixtures/ayatana_client.py)
        set_tests_properties(e2e_hardening_${scenario} PROPERTIES TIMEOUT 120 LABELS e2e
            ENVIRONMENT "NO_AT_BRIDGE=1")
    endforeach()
endif()
