# Network browsing: WS-Discovery answers and device metadata come from any host of the network.
pelimo_add_fuzz_target(ws_discovery_xml ${CMAKE_CURRENT_SOURCE_DIR}/ws_discovery_xml_fuzz.cpp
    LIBS pelimo_core)
# The answers of the browse helper process (which reads what browse servers say).
pelimo_add_fuzz_target(browse_reply ${CMAKE_CURRENT_SOURCE_DIR}/browse_reply_fuzz.cpp
    LIBS pelimo_core)
