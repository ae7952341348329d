# Benchmarks of the service core on the scripted platform.
qt_add_executable(bench_core core/bench_core.cpp)
target_link_libraries(bench_core PRIVATE trayvane_core Qt6::Test)
