# Network paths of attachments: the mount table and the Samba share listings are external text.
pelimo_add_fuzz_target(mountinfo_parser ${CMAKE_CURRENT_SOURCE_DIR}/mountinfo_parser_fuzz.cpp
    LIBS pelimo_platform)
pelimo_add_fuzz_target(samba_shares_parser ${CMAKE_CURRENT_SOURCE_DIR}/samba_shares_parser_fuzz.cpp
    LIBS pelimo_platform)
# Network paths of received attachments are outside input: checked before any network access.
pelimo_add_fuzz_target(network_path ${CMAKE_CURRENT_SOURCE_DIR}/network_path_fuzz.cpp
    LIBS pelimo_platform)
