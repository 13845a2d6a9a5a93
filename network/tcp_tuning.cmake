# The internet optimizer's compute-only parts: the probe walk over an echo
# operation and the TCP/IP values it leads to; the public-address filter.
spruce_pure(mtu_probe.cpp tcp_settings.cpp ip_text.cpp)
spruce_native_test(mtu_probe_test.cpp tcp_settings_test.cpp simulated_path.cpp)
