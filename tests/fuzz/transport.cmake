# Transport: datagrams from the network and the payloads they carry.
pelimo_add_fuzz_target(mailslot_datagram ${CMAKE_CURRENT_SOURCE_DIR}/mailslot_datagram_fuzz.cpp
    LIBS pelimo_platform)
pelimo_add_fuzz_target(message_payload ${CMAKE_CURRENT_SOURCE_DIR}/message_payload_fuzz.cpp
    LIBS pelimo_core)
pelimo_add_fuzz_target(nmbd_stream ${CMAKE_CURRENT_SOURCE_DIR}/nmbd_stream_fuzz.cpp
    LIBS pelimo_platform)
pelimo_add_fuzz_target(router_records ${CMAKE_CURRENT_SOURCE_DIR}/router_records_fuzz.cpp
    LIBS pelimo_netbios)
