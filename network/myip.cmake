# My IP: the address look-ups and the dialog; its tests against small HTTP
# servers of their own, and the outside-in test of both network tools.
spruce_win(ip_lookup.cpp ip_addr_info_dlg.cpp)
spruce_win_test(network_tests ip_addr_info_dlg_test.cpp test_http_server.cpp)
spruce_win_test(e2e_tests network_e2e_test.cpp test_http_server.cpp tuning_values.cpp)
