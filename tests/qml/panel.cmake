# The panel's Qt Quick Test runner (offscreen) and the screenshot tool, both on
# a MenuBarService backed by the scripted platform.
set(PANEL_QML_DIR ${CMAKE_CURRENT_LIST_DIR})

qt_add_library(panel_test_support STATIC
    ${PANEL_QML_DIR}/support/PanelWorld.h ${PANEL_QML_DIR}/support/PanelWorld.cpp
)
target_include_directories(panel_test_support PUBLIC ${PANEL_QML_DIR})
target_link_libraries(panel_test_support PUBLIC trayvane_core trayvane_ui Qt6::Gui)
trayvane_warnings(panel_test_support)

qt_add_executable(tst_panel_qml ${PANEL_QML_DIR}/main.cpp)
target_link_libraries(tst_panel_qml PRIVATE panel_test_support trayvane_uiplugin Qt6::QuickTest Qt6::Qml)
trayvane_warnings(tst_panel_qml)

# A private runtime folder for the runs (Qt wants it to be 0700).
set(PANEL_RUNTIME_DIR ${CMAKE_CURRENT_BINARY_DIR}/panel-runtime)
file(MAKE_DIRECTORY ${PANEL_RUNTIME_DIR})
file(CHMOD ${PANEL_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

add_test(NAME panel_qml COMMAND tst_panel_qml -input ${PANEL_QML_DIR}/panel -import ${CMAKE_BINARY_DIR}/qml)
set_tests_properties(panel_qml PROPERTIES
    TIMEOUT 120
    LABELS qml
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_BACKEND=software;NO_AT_BRIDGE=1;XDG_RUNTIME_DIR=${PANEL_RUNTIME_DIR}"
)

# Renders every state of the panel to PNG files (run on demand):
#   panel_screenshots <output folder>
qt_add_executable(panel_screenshots ${PANEL_QML_DIR}/screenshots/main.cpp)
qt_add_resources(panel_screenshots "panel_screenshot_scene"
    PREFIX /panelshots
    BASE ${PANEL_QML_DIR}/screenshots
    FILES ${PANEL_QML_DIR}/screenshots/ShotScene.qml
)
target_link_libraries(panel_screenshots PRIVATE panel_test_support trayvane_uiplugin Qt6::Quick Qt6::Test)
trayvane_warnings(panel_screenshots)
