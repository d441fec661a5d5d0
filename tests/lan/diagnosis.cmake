# "Why can't I reach X?" on the command line, between hosts in namespaces.
pelimo_add_lan_test(diagnosis_hosts ${CMAKE_CURRENT_SOURCE_DIR}/diagnosis_hosts.sh)
