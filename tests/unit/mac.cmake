# Unit tests of the macOS backend's portable parts, run on every platform.
foreach(name tst_accessibilitymirror tst_macvalues)
    qt_add_executable(${name} mac/${name}.cpp)
    target_link_libraries(${name} PRIVATE trayvane_mac_portable trayvane_core Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../fixtures)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 60 LABELS unit)
endforeach()

# The macOS-only files, compiled (syntax and types, nothing linked) against
# declarations of the Apple interfaces they call, so that a change of the
# platform interface or of Qt that breaks the macOS backend fails here.
find_program(TRAYVANE_CLANGXX NAMES clang++ clang++-14)
if(TRAYVANE_CLANGXX AND NOT APPLE)
    set(mac_include_args -I${CMAKE_CURRENT_LIST_DIR}/mac/apple -I${PROJECT_SOURCE_DIR}/src
        -I${PROJECT_SOURCE_DIR}/src/Views)
    set(qt_dirs)
    foreach(qt_target Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Qml Qt6::Quick Qt6::DBus)
        get_target_property(dirs ${qt_target} INTERFACE_INCLUDE_DIRECTORIES)
        list(APPEND qt_dirs ${dirs})
    endforeach()
    list(REMOVE_DUPLICATES qt_dirs)
    foreach(dir IN LISTS qt_dirs)
        list(APPEND mac_include_args -isystem ${dir})
    endforeach()
    set(mac_flags -std=c++20 -fsyntax-only -Werror -Wall -Wextra -Wpedantic -fPIC
        -D__APPLE__ -D__MACH__ -D__ASSERT_MACROS_DEFINE_VERSIONS_WITHOUT_UNDERSCORES=0)
    set(mac_dir ${PROJECT_SOURCE_DIR}/src/Platform/mac)
    # The application entry too: its macOS branches (single instance, panel).
    foreach(path ${mac_dir}/MacAccessibility.cpp ${mac_dir}/SystemPlatform.cpp ${mac_dir}/MacPlatform.mm
                 ${mac_dir}/MacLoginItem.mm ${mac_dir}/MacInstance.mm ${mac_dir}/MacPanel.mm
                 ${PROJECT_SOURCE_DIR}/src/TrayvaneApp.cpp)
        get_filename_component(file ${path} NAME)
        set(language_args)
        if(file MATCHES "\\.mm$")
            set(language_args -x objective-c++ -fobjc-runtime=macosx-14.0 -fobjc-arc -fblocks)
        endif()
        add_test(NAME mac_compiles_${file}
                 COMMAND ${TRAYVANE_CLANGXX} ${language_args} ${mac_flags} ${mac_include_args} ${path})
        set_tests_properties(mac_compiles_${file} PROPERTIES TIMEOUT 120 LABELS unit)
    endforeach()
endif()

# The bundle's icon file, drawn by the tool the macOS build runs.
if(NOT APPLE)
    add_test(NAME mac_app_icon
             COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/packaging/macos/check_icns.py
                     $<TARGET_FILE:trayvane_make_icns> ${PROJECT_SOURCE_DIR}/data/org.trayvane.Trayvane.svg)
    set_tests_properties(mac_app_icon PROPERTIES TIMEOUT 60 LABELS unit)
endif()
