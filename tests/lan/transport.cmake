# Transport: mailslot datagrams between two hosts, checked by tshark.
pelimo_add_lan_test(transport_mailslots ${CMAKE_CURRENT_SOURCE_DIR}/transport_mailslots.sh)
