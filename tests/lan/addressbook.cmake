# Presence detection on a five-host LAN: a master browser, a WS-Discovery announcer with an
# SMB2-only share, a third host, a hostile WS-Discovery host, two copies of Pelimo.
pelimo_add_lan_test(addressbook_detection ${CMAKE_CURRENT_SOURCE_DIR}/addressbook_detection.sh)
set_tests_properties(lan_addressbook_detection PROPERTIES TIMEOUT 420)
