# Transport: codec rates, local delivery latency and the burst the local mailslot keeps.
pelimo_add_benchmark(bench_transport ${CMAKE_CURRENT_SOURCE_DIR}/transport_bench.cpp)
