# The diagnosis: the firewall ruleset that nft prints.
pelimo_add_fuzz_target(nft_ruleset ${CMAKE_CURRENT_SOURCE_DIR}/nft_ruleset_fuzz.cpp
    LIBS pelimo_core)
