# Presence detection on a four-host LAN with a master browser and a WS-Discovery announcer.
pelimo_add_lan_test(addressbook_detection ${CMAKE_CURRENT_SOURCE_DIR}/addressbook_detection.sh)
