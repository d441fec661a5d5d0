# Transport: datagrams from the network and the payloads they carry.
pelimo_add_fuzz_target(mailslot_datagram ${CMAKE_CURRENT_SOURCE_DIR}/mailslot_datagram_fuzz.cpp
    LIBS pelimo_platform)
pelimo_add_fuzz_target(message_payload ${CMAKE_CURRENT_SOURCE_DIR}/message_payload_fuzz.cpp
    LIBS pelimo_core)
# The libraries are not built with coverage instrumentation: the fuzzers compile their own
# instrumented copy of the code under test, which the linker takes before the library's.
if(PELIMO_FUZZ)
    target_sources(fuzz_mailslot_datagram PRIVATE
        ${CMAKE_SOURCE_DIR}/src/platform/nbds_datagram.cpp
        ${CMAKE_SOURCE_DIR}/src/platform/netbios_name.cpp
        ${CMAKE_SOURCE_DIR}/src/platform/netbios_name_query.cpp)
    target_sources(fuzz_message_payload PRIVATE
        ${CMAKE_SOURCE_DIR}/src/transport/message_codec.cpp
        ${CMAKE_SOURCE_DIR}/src/stores/number_text.cpp)
endif()
