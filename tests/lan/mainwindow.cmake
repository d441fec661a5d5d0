# Two copies of the main window on two hosts, end to end (root only).
pelimo_add_lan_test(mainwindow_two_hosts ${CMAKE_CURRENT_SOURCE_DIR}/mainwindow_two_hosts.sh)
# The real program ended by a termination signal writes its history (root only).
pelimo_add_lan_test(mainwindow_termination ${CMAKE_CURRENT_SOURCE_DIR}/mainwindow_termination.sh)
# The intake under a flood from another host, and the drain at shutdown (root only).
pelimo_add_lan_test(mainwindow_intake ${CMAKE_CURRENT_SOURCE_DIR}/mainwindow_intake.sh)
