# Platform: the profile (INI) file parser.
pelimo_add_fuzz_target(profile_parser ${CMAKE_CURRENT_SOURCE_DIR}/profile_parser_fuzz.cpp
    LIBS pelimo_platform)
