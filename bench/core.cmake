# Benchmarks of the service core on the scripted platform, directly and
# through the accessibility mirror.
qt_add_executable(bench_core core/bench_core.cpp)
target_link_libraries(bench_core PRIVATE trayvane_core trayvane_mac_portable Qt6::Test)
target_include_directories(bench_core PRIVATE ${PROJECT_SOURCE_DIR}/tests/fixtures)
