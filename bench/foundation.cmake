pelimo_add_benchmark(bench_settings ${CMAKE_CURRENT_SOURCE_DIR}/settings_bench.cpp)
