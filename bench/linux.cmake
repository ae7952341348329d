# Benchmarks of the Linux backend (run bench/linux/run.sh).
if(TARGET trayvane_linux)
    include(${CMAKE_CURRENT_SOURCE_DIR}/../tests/fixtures/sni_client.cmake)
    qt_add_executable(bench_linux linux/bench_linux.cpp)
    target_link_libraries(bench_linux PRIVATE trayvane_app)
endif()
