# Attachments: the cost of an attachment's network path at send time. The fetch over the network
# is measured by attachments_fetch.sh (root: namespaces and a real smbd).
pelimo_add_benchmark(bench_attachments ${CMAKE_CURRENT_SOURCE_DIR}/attachments_bench.cpp)
