# My IP: the address look-ups and the dialog; its tests against the site
# server in scripted mode, and the outside-in test of both network tools.
spruce_win(ip_lookup.cpp ip_addr_info_dlg.cpp)
spruce_win_test(network_tests ip_addr_info_dlg_test.cpp ../upgrade/testing/scripted_site.cpp)
spruce_win_test(e2e_tests network_e2e_test.cpp tuning_values.cpp)
