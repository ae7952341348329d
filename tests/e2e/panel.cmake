# End-to-end tests of the application shell: the real app on Xvfb and a private
# session bus, with trayer as tray host, and without any tray while trayer
# comes and goes; and on a headless sway with swaybar as the tray host.
foreach(scenario tray notray sway)
    add_test(NAME e2e_panel_${scenario}
        COMMAND dbus-run-session -- /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/panel/e2e_panel.py ${scenario}
            --trayvane $<TARGET_FILE:trayvane>)
    # sway needs root (to make a user of its own) and is skipped otherwise.
    set_tests_properties(e2e_panel_${scenario} PROPERTIES TIMEOUT 120 LABELS e2e ENVIRONMENT "NO_AT_BRIDGE=1"
        SKIP_RETURN_CODE 77)
endforeach()
