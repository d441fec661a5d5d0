# Network browsing: WS-Discovery answers and device metadata come from any host of the network.
pelimo_add_fuzz_target(ws_discovery_xml ${CMAKE_CURRENT_SOURCE_DIR}/ws_discovery_xml_fuzz.cpp
    LIBS pelimo_core)
