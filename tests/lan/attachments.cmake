# An attached file fetched from the sender's real smbd on another host (root only).
pelimo_add_lan_test(attachments_two_hosts ${CMAKE_CURRENT_SOURCE_DIR}/attachments_two_hosts.sh)
# SIGTERM during such a copy (root only).
pelimo_add_lan_test(attachments_shutdown ${CMAKE_CURRENT_SOURCE_DIR}/attachments_shutdown.sh)
