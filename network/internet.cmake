# The internet optimizer: the ICMP echo client, its registry class and
# writes, the dialog with its probe thread; their tests under Wine, with a
# helper program that runs the dialog under each Windows version.
spruce_win(icmp_echo_client.cpp registry_ie.cpp tcp_registry.cpp internet_dlg.cpp)
spruce_win_test(network_tests internet_dlg_test.cpp internet_versions_test.cpp
                registry_ie_test.cpp icmp_echo_client_test.cpp simulated_path.cpp
                tuning_values.cpp)
spruce_win_program(internet_version_probe internet_version_probe.cpp simulated_path.cpp
                   ../tests/support/recorder.cpp ../resources/spruce.rc)
