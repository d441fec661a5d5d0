# Main window: the texts it shows from datagrams and the history, and the addressee list.
pelimo_add_fuzz_target(mainwindow_texts ${CMAKE_CURRENT_SOURCE_DIR}/mainwindow_texts_fuzz.cpp
    LIBS pelimo_core)
if(PELIMO_FUZZ)
    # The code under test is compiled into the fuzzer itself, so that its branches guide the fuzzing.
    target_sources(fuzz_mainwindow_texts PRIVATE
        ${CMAKE_SOURCE_DIR}/src/mainwindow/addressee_list.cpp
        ${CMAKE_SOURCE_DIR}/src/mainwindow/display_text.cpp
        ${CMAKE_SOURCE_DIR}/src/mainwindow/message_dates.cpp)
endif()
