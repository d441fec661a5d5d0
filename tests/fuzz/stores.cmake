# Stores: the history loader, and language and contacts files loaded through their stores.
pelimo_add_fuzz_target(history_loader ${CMAKE_CURRENT_SOURCE_DIR}/history_loader_fuzz.cpp
    LIBS pelimo_core)
pelimo_add_fuzz_target(store_profiles ${CMAKE_CURRENT_SOURCE_DIR}/store_profiles_fuzz.cpp
    LIBS pelimo_core)
