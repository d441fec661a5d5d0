# Transport: mailslot datagrams between two hosts, checked by tshark; receiving beside nmbd; a
# hostile host of the LAN.
pelimo_add_lan_test(transport_mailslots ${CMAKE_CURRENT_SOURCE_DIR}/transport_mailslots.sh)
pelimo_add_lan_test(transport_nmbd ${CMAKE_CURRENT_SOURCE_DIR}/transport_nmbd.sh)
pelimo_add_lan_test(transport_hostile ${CMAKE_CURRENT_SOURCE_DIR}/transport_hostile.sh)
pelimo_add_lan_test(transport_users ${CMAKE_CURRENT_SOURCE_DIR}/transport_users.sh)
