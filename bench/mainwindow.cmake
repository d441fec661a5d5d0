# Main window: start-up offscreen with 100 contacts and a 100 000-entry history.
pelimo_add_benchmark(bench_mainwindow_startup ${CMAKE_CURRENT_SOURCE_DIR}/mainwindow_startup.cpp
                     ${CMAKE_SOURCE_DIR}/tests/common/module_reset.cpp)
target_link_libraries(bench_mainwindow_startup PRIVATE pelimo_gui stores_history_generator)
target_include_directories(bench_mainwindow_startup PRIVATE ${CMAKE_SOURCE_DIR}/tests)

# History panel with 100 000 entries (open, sorts, memory) and a 10 000-entry history printed to PDF.
pelimo_add_benchmark(bench_mainwindow_history ${CMAKE_CURRENT_SOURCE_DIR}/mainwindow_history.cpp)
target_link_libraries(bench_mainwindow_history PRIVATE pelimo_gui stores_history_generator)
target_include_directories(bench_mainwindow_history PRIVATE ${CMAKE_SOURCE_DIR}/tests)
