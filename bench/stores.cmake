# Stores: the settings store, the large-history benchmarks, the history generator and the load memory probe.
add_library(stores_history_generator STATIC ${CMAKE_CURRENT_SOURCE_DIR}/stores_history_generator.cpp)
target_link_libraries(stores_history_generator PUBLIC pelimo_core)
target_include_directories(stores_history_generator PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

pelimo_add_benchmark(bench_stores ${CMAKE_CURRENT_SOURCE_DIR}/stores_bench.cpp)
target_link_libraries(bench_stores PRIVATE stores_history_generator)

add_executable(stores_generate_history ${CMAKE_CURRENT_SOURCE_DIR}/stores_generate_history.cpp)
target_link_libraries(stores_generate_history PRIVATE stores_history_generator)

add_executable(stores_history_memory ${CMAKE_CURRENT_SOURCE_DIR}/stores_history_memory.cpp)
target_link_libraries(stores_history_memory PRIVATE stores_history_generator)

pelimo_add_benchmark(bench_settings ${CMAKE_CURRENT_SOURCE_DIR}/settings_bench.cpp)
